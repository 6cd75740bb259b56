#include "cli/CommandSession.h"

#include "app/ModelTexts.h"
#include "cli/Conversation.h"
#include "cli/LayoutOutput.h"
#include "cli/ModelState.h"
#include "cli/RestoreOutput.h"
#include "model/LayoutName.h"
#include "shortcuts/ShortcutParser.h"

namespace orvale::cli {
namespace {

void printNotice(const StorageNotice& notice, std::ostream& out) {
    out << notice.title << "\n" << notice.message << "\n";
    if (notice.details) out << *notice.details << "\n";
    out << "\n";
}

}  // namespace

CommandSession::CommandSession(AppModel& model, MainThread& mainThread, Command command,
                               Terminal terminal, std::function<void(int)> finished,
                               bool modelReady)
    : model_(model),
      mainThread_(mainThread),
      command_(std::move(command)),
      terminal_(terminal),
      finished_(std::move(finished)) {
    observation_ = model_.observe([this](AppModel::Property property) { changed(property); });
    if (modelReady) {
        started_ = true;
        later([this] { start(); });
    }
}

CommandSession::~CommandSession() {
    *alive_ = false;
}

void CommandSession::later(std::function<void()> then) {
    mainThread_.post([alive = alive_, then = std::move(then)] {
        if (*alive) then();
    });
}

void CommandSession::changed(AppModel::Property property) {
    if (done_) return;
    using Property = AppModel::Property;
    if (property == Property::isBootstrapping && !started_) {
        if (model_.isBootstrapping()) {
            bootstrapSeen_ = true;
        } else if (bootstrapSeen_) {
            started_ = true;
            later([this] { start(); });
        }
    } else if (property == Property::activeError && model_.activeError()) {
        // Alerts are shown as they come; the operation that raised one
        // decides whether it ends the command.
        terminal_.err << model_.activeError()->title << "\n"
                      << model_.activeError()->message << "\n";
        alerted_ = true;
        model_.dismissError();
    } else if (property == Property::busy && running_ && !model_.busy()) {
        // The result and any window-choice request are published after
        // `busy` clears, within the same change.
        running_ = false;
        later([this] { restoreEnded(); });
    }
}

void CommandSession::finish(int status) {
    if (done_) return;
    done_ = true;
    observation_.reset();
    finished_(status);
}

void CommandSession::fail(const std::string& text) {
    terminal_.err << text << "\n";
    finish(kFailure);
}

AppModel::TextReply CommandSession::answer(std::function<void()> success) {
    return
        [this, alive = alive_, success = std::move(success)](std::optional<std::string> refusal) {
            if (!*alive || done_) return;
            if (refusal) {
                fail(*refusal);
            } else {
                success();
            }
        };
}

const Layout* CommandSession::named(const std::string& name) {
    const Layout* layout = model_.layoutNamed(normalizedLayoutName(name));
    if (!layout) fail("No layout is named “" + name + "”.");
    return layout;
}

void CommandSession::start() {
    if (const auto& problem = model_.storageProblem()) {
        fail(problem->title + "\n" + problem->message + "\n" + problem->details);
        return;
    }
    const bool listing = command_.name == CommandName::list && !command_.json;
    if (model_.storageNotice())
        printNotice(*model_.storageNotice(), listing ? terminal_.out : terminal_.err);

    std::ostream& out = terminal_.out;
    const auto& operands = command_.operands;
    switch (command_.name) {
        case CommandName::list:
            list();
            return;
        case CommandName::show:
            if (const Layout* layout = named(operands[0])) {
                printLayout(*layout, out);
                finish(kSuccess);
            }
            return;
        case CommandName::rename:
            if (const Layout* layout = named(operands[0])) {
                const Uuid id = layout->id;
                model_.renameLayout(id, operands[1], answer([this, id] {
                                        terminal_.out << "Renamed to “" << model_.layout(id)->name
                                                      << "”.\n";
                                        finish(kSuccess);
                                    }));
            }
            return;
        case CommandName::remove:
            if (const Layout* layout = named(operands[0])) {
                model_.deleteLayout(layout->id, answer([this, name = layout->name] {
                                        terminal_.out << "Deleted “" << name << "”.\n";
                                        finish(kSuccess);
                                    }));
            }
            return;
        case CommandName::exclusions:
            printExclusions(model_.exclusions(), out);
            finish(kSuccess);
            return;
        case CommandName::exclude:
            model_.excludeApp(operands[0], operands[0], answer([this] {
                                  printExclusions(model_.exclusions(), terminal_.out);
                                  finish(kSuccess);
                              }));
            return;
        case CommandName::include:
            if (!model_.excludedBundleIDs().contains(operands[0])) {
                fail("“" + operands[0] + "” is not excluded.");
                return;
            }
            model_.removeExclusion(operands[0], answer([this] {
                                       printExclusions(model_.exclusions(), terminal_.out);
                                       finish(kSuccess);
                                   }));
            return;
        case CommandName::backup:
            model_.backupNow(answer([this] {
                terminal_.out << model_.lastBackupURL().value_or("").string() << "\n";
                finish(kSuccess);
            }));
            return;
        case CommandName::reset:
            reset();
            return;
        case CommandName::save:
            save();
            return;
        case CommandName::restore:
            restore();
            return;
        case CommandName::undo:
            undo();
            return;
        case CommandName::shortcut:
            shortcut();
            return;
        case CommandName::link:
        case CommandName::unlink:
            link(command_.name == CommandName::link);
            return;
        case CommandName::automation:
            // A preference that cannot be written is raised, and printed.
            model_.setAutomationEnabled(operands[0] == "on");
            if (!alerted_) out << "Automatic restore is " << operands[0] << ".\n";
            finish(alerted_ ? kFailure : kSuccess);
            return;
        case CommandName::status:
            printStatus(model_, out);
            finish(kSuccess);
            return;
        case CommandName::displays:
        case CommandName::windows:
        case CommandName::daemon:
            break;
    }
    fail(std::string("orvale: “") + spelling(command_.name) + "” does not use saved layouts.");
}

void CommandSession::list() {
    if (command_.json) {
        terminal_.out << layoutsJson(model_.layouts()).dump(2) << "\n";
    } else {
        printLayouts(model_.layouts(), terminal_.out);
    }
    finish(kSuccess);
}

void CommandSession::reset() {
    model_.resetDatabase([this, alive = alive_](DatabaseResetOutcome outcome) {
        if (!*alive || done_) return;
        if (outcome.kind == DatabaseResetOutcome::Kind::failed) {
            fail(outcome.text);
            return;
        }
        if (model_.storageNotice()) printNotice(*model_.storageNotice(), terminal_.out);
        if (!outcome.text.empty()) terminal_.err << outcome.text << "\n";
        finish(kSuccess);
    });
}

void CommandSession::save() {
    model_.beginSave([this, alive = alive_](bool pending) {
        if (!*alive || done_) return;
        if (!pending) {
            // The model raised why, and it has been printed.
            finish(kFailure);
            return;
        }
        const std::string name = normalizedLayoutName(command_.operands[0]);
        model_.savePendingLayout(name, command_.replace, answer([this, name] {
                                     printSaved(*model_.layoutNamed(name), terminal_.out);
                                     finish(kSuccess);
                                 }));
    });
}

void CommandSession::restore() {
    const Layout* layout = named(command_.operands[0]);
    if (!layout) return;
    resultBefore_ = model_.lastResult();
    model_.restoreLayout(layout->id);
    awaitRestore(true);
}

void CommandSession::link(bool linking) {
    const Layout* layout = named(command_.operands[0]);
    if (!layout) return;
    const Uuid id = layout->id;
    auto done = answer([this, id] {
        const Layout* now = model_.layout(id);
        terminal_.out << "“" << now->name << "”: " << model_.automationDescription(*now) << "\n";
        finish(kSuccess);
    });
    if (linking) {
        model_.associateAutomation(id, std::move(done));
    } else {
        model_.clearAutomation(id, std::move(done));
    }
}

void CommandSession::shortcut() {
    const Layout* layout = named(command_.operands[0]);
    if (!layout) return;
    const Uuid id = layout->id;
    if (command_.clear) {
        model_.setLayoutShortcut(std::nullopt, id, answer([this, name = layout->name] {
                                     terminal_.out << "“" << name << "” has no shortcut now.\n";
                                     finish(kSuccess);
                                 }));
        return;
    }
    const ParsedShortcut parsed = parseShortcut(command_.operands[1], model_.keyLabels());
    if (!parsed.shortcut) {
        fail(*parsed.problem);
        return;
    }
    const Shortcut shortcut = *parsed.shortcut;
    model_.setLayoutShortcut(shortcut, id, answer([this, shortcut, name = layout->name] {
                                 terminal_.out << ShortcutFormatter::label(shortcut.keyCode,
                                                                           shortcut.modifiers,
                                                                           model_.keyLabels())
                                               << " restores “" << name << "”.\n";
                                 finish(kSuccess);
                             }));
}

void CommandSession::undo() {
    if (!model_.undoInfo()) {
        fail("There is no restore to undo.");
        return;
    }
    if (!model_.canUndo()) {
        fail(model_.busy() ? ModelText::waitForOperation : ModelText::windowManagerNeeded);
        return;
    }
    resultBefore_ = model_.lastResult();
    model_.undoLastRestore();
    awaitRestore(false);
}

void CommandSession::awaitRestore(bool promptAllowed) {
    if (model_.busy() == OperationKind::restoring || model_.busy() == OperationKind::undoing) {
        running_ = true;
    } else if (promptAllowed && model_.missingDisplayPrompt()) {
        chooseDisplays();
    } else if (alerted_) {
        finish(kFailure);
    } else {
        fail("orvale: the restore did not start.");
    }
}

void CommandSession::restoreEnded() {
    if (!model_.lastResult() || model_.lastResult() == resultBefore_) {
        fail("orvale: the restore ended without a result.");
        return;
    }
    const RestoreResult& result = *model_.lastResult();
    const RestoreResult whole = firstRun_ ? mergedResult(*firstRun_, result) : result;
    if (model_.resolutionRequest()) {
        firstRun_ = whole;
        chooseWindows();
        return;
    }
    printRestore(whole);
    finish(kSuccess);
}

void CommandSession::printRestore(const RestoreResult& result) {
    if (command_.json) {
        terminal_.out << resultJson(result).dump(2) << "\n";
    } else {
        printResult(result, terminal_.out);
    }
}

void CommandSession::chooseDisplays() {
    const MissingDisplayPrompt prompt = *model_.missingDisplayPrompt();
    if (!terminal_.interactive) {
        if (command_.json) {
            terminal_.out << missingDisplaysJson(prompt).dump(2) << "\n";
        } else {
            listDisplayChoice(prompt, terminal_.err);
        }
        model_.cancelMissingDisplays();
        finish(kChoiceNeeded);
        return;
    }
    askDisplays(prompt, terminal_.in, conversation(),
                [this, alive = alive_](std::optional<DisplayChoices> choices) {
                    if (!*alive || done_) return;
                    if (!choices) {
                        model_.cancelMissingDisplays();
                        terminal_.err << "No display was chosen; nothing was restored.\n";
                        finish(kChoiceNeeded);
                        return;
                    }
                    model_.confirmMissingDisplays(*choices);
                    awaitRestore(false);
                });
}

void CommandSession::chooseWindows() {
    const ResolutionRequest request = *model_.resolutionRequest();
    if (terminal_.interactive) {
        askWindows(request, terminal_.in, conversation(),
                   [this, alive = alive_](std::optional<WindowChoices> choices) {
                       if (*alive && !done_) windowsChosen(choices);
                   });
        return;
    }
    if (!command_.json) listWindowChoice(request, terminal_.err);
    windowsChosen(std::nullopt);
}

void CommandSession::windowsChosen(const std::optional<WindowChoices>& choices) {
    if (!choices) {
        model_.cancelResolution();
        printRestore(*firstRun_);
        if (terminal_.interactive) terminal_.err << "No window was chosen.\n";
        finish(kChoiceNeeded);
        return;
    }
    if (const auto refusal = model_.applyResolutions(choices->chosen, choices->skipped)) {
        fail(*refusal);
        return;
    }
    awaitRestore(true);
}

}  // namespace orvale::cli
