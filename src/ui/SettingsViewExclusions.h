#pragma once

#include <functional>
#include <string>
#include <vector>

#include "app/AppModel.h"

namespace orvale::ui {

// An application the user picked to exclude: its desktop id, which the model
// keeps as the bundle id, and its name.
struct ChosenApplication {
    std::string id;
    std::string name;
};

// Asks the model to exclude each chosen application, one after the other
// (the model admits one exclusion change at a time), skipping those without
// an id and those already excluded. `done` is called once, when the last
// answer is in, with what to tell the user: empty when every application was
// added, else one message per line.
//
// Threads: main thread. `done` may run before this returns when the model
// refuses at once; the model must outlive the run.
void excludeApplications(AppModel& model, std::vector<ChosenApplication> chosen,
                         std::function<void(std::string report)> done);

}  // namespace orvale::ui
