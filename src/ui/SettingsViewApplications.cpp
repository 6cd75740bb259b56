// The Applications tab: the applications Orvale leaves alone.

#include <QHBoxLayout>
#include <QIcon>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/ApplicationChooser.h"
#include "ui/FormParts.h"
#include "ui/ModelWatch.h"
#include "ui/SettingsViewExclusions.h"
#include "ui/SettingsViewTabs.h"

namespace orvale::ui {
namespace {

class ApplicationsTab final : public QWidget {
  public:
    explicit ApplicationsTab(const ViewContext& context) : model_(context.model) {
        auto* column = new QVBoxLayout(this);
        column->addWidget(introduction("Some Apps Stay Put.",
                                       "Choose which applications Orvale leaves alone.",
                                       Illustration::Kind::applications));
        column->addWidget(sectionHeader("Excluded Applications",
                                        "Orvale skips these apps when saving and restoring."));
        column->addWidget(note("These apps are skipped by Save, Restore, and Undo."));
        column->addWidget(
            note("Saved layouts keep their windows. Removing an app here makes it available "
                 "again for future captures and restores."));
        auto* list = named(new QWidget, "excluded-applications");
        rows_ = new QVBoxLayout(list);
        rows_->setContentsMargins(0, 4, 0, 4);
        column->addWidget(list);

        add_ = named(new QPushButton, "add-applications-button");
        QObject::connect(add_, &QPushButton::clicked, this, [this] { chooseApplications(); });
        auto* buttons = new QHBoxLayout;
        buttons->addWidget(add_);
        buttons->addStretch();
        column->addLayout(buttons);
        status_ = named(note({}), "exclusions-status");
        column->addWidget(status_);
        column->addStretch();

        using P = AppModel::Property;
        watchModel(model_, this, {P::exclusions, P::pendingMutations}, [this] { refresh(); });
        refresh();
    }

  private:
    void refresh() {
        clearLayout(rows_);
        for (const AppExclusion& exclusion : model_.exclusions()) {
            auto* row = new QHBoxLayout;
            row->addWidget(symbol(qt(exclusion.bundleID), 20));
            row->addWidget(body(qt(exclusion.appName)), 1);
            auto* remove = new QPushButton("Remove");
            remove->setObjectName(qt("remove-" + exclusion.bundleID));
            remove->setAccessibleName(qt("Remove " + exclusion.appName));
            remove->setEnabled(!model_.hasPendingExclusionMutation());
            QObject::connect(remove, &QPushButton::clicked, this,
                             [this, id = exclusion.bundleID] { removeExclusion(id); });
            row->addWidget(remove);
            rows_->addLayout(row);
        }
        if (rows_->isEmpty()) {
            rows_->addWidget(note("No excluded applications. Every app is included."));
        }
        add_->setText(adding_ ? "Adding applications…" : "Add Applications…");
        add_->setEnabled(!adding_ && !model_.hasPendingExclusionMutation());
        status_->setVisible(!status_->text().isEmpty());
    }

    void report(const std::string& text) {
        status_->setText(qt(text));
        refresh();
    }

    void removeExclusion(const std::string& id) {
        // Not redrawn here: the button being clicked belongs to the list.
        status_->clear();
        status_->hide();
        model_.removeExclusion(id, [view = QPointer(this)](std::optional<std::string> failure) {
            if (view && failure)
                view->report("Couldn’t update excluded applications.\n" + *failure);
        });
    }

    void chooseApplications() {
        ApplicationChooser chooser(this);
        if (chooser.exec() != QDialog::Accepted) return;
        adding_ = true;
        report({});
        excludeApplications(model_, chooser.chosen(), [view = QPointer(this)](std::string text) {
            if (!view) return;
            view->adding_ = false;
            view->report(text);
        });
    }

    AppModel& model_;
    QVBoxLayout* rows_ = nullptr;
    QPushButton* add_ = nullptr;
    QLabel* status_ = nullptr;
    bool adding_ = false;
};

}  // namespace

QWidget* makeApplicationsTab(const ViewContext& context) {
    return new ApplicationsTab(context);
}

}  // namespace orvale::ui
