#include "ui/SettingsViewExclusions.h"

#include <memory>

namespace orvale::ui {
namespace {

struct Run {
    AppModel& model;
    std::vector<ChosenApplication> chosen;
    std::function<void(std::string)> done;
    std::size_t next = 0;
    int added = 0;
    int alreadyExcluded = 0;
    std::vector<std::string> problems;
};

bool blank(const std::string& text) {
    return text.find_first_not_of(" \t\n\r\f\v") == std::string::npos;
}

void finish(Run& run) {
    std::vector<std::string> lines = run.problems;
    if (run.added == 0) {
        lines.push_back(run.alreadyExcluded > 0 && run.problems.empty()
                            ? "These apps are already excluded."
                            : "No apps added.");
    }
    std::string report;
    for (const std::string& line : lines) report += (report.empty() ? "" : "\n") + line;
    run.done(report);
}

void step(const std::shared_ptr<Run>& run) {
    while (run->next < run->chosen.size()) {
        const ChosenApplication& app = run->chosen[run->next++];
        if (blank(app.id)) {
            run->problems.push_back("“" + app.name + "” has no app ID. Choose another app.");
            continue;
        }
        if (run->model.excludedBundleIDs().contains(app.id)) {
            ++run->alreadyExcluded;
            continue;
        }
        run->model.excludeApp(
            app.id, app.name, [run, name = app.name](std::optional<std::string> refusal) {
                if (refusal) {
                    run->problems.push_back("“" + name + "” was not added. " + *refusal);
                } else {
                    ++run->added;
                }
                step(run);
            });
        return;
    }
    finish(*run);
}

}  // namespace

void excludeApplications(AppModel& model, std::vector<ChosenApplication> chosen,
                         std::function<void(std::string report)> done) {
    step(std::make_shared<Run>(Run{model, std::move(chosen), std::move(done), 0, 0, 0, {}}));
}

}  // namespace orvale::ui
