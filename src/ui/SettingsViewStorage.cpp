// The Storage tab: where layouts are kept, the backup, and the reset.

#include <QDesktopServices>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLocale>
#include <QPointer>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

#include "ui/FormParts.h"
#include "ui/ModelWatch.h"
#include "ui/SettingsViewTabs.h"

namespace orvale::ui {
namespace {

QString pathText(const std::filesystem::path& path) {
    return QString::fromStdString(path.string());
}

// The headline of a reset's outcome, then the model's own words, if any.
QString resetReport(const DatabaseResetOutcome& outcome) {
    using Kind = DatabaseResetOutcome::Kind;
    QString text;
    switch (outcome.kind) {
        case Kind::cleared:
            text = "Layouts and settings were cleared. Your windows stay open.";
            break;
        case Kind::clearedWithWarning:
            text = "Layouts were cleared, but one cleanup step didn’t finish.";
            break;
        case Kind::failed:
            text = "Couldn’t reset layouts. Nothing was removed.";
            break;
    }
    if (!outcome.text.empty()) text += "\n" + qt(outcome.text);
    return text;
}

class StorageTab final : public QWidget {
  public:
    StorageTab(const ViewContext& context) : model_(context.model), presenter_(context.presenter) {
        auto* column = new QVBoxLayout(this);
        column->addWidget(introduction("Saved Here. Kept Close.",
                                       "Your layouts and backups stay on this computer.",
                                       Illustration::Kind::storage));
        addStorage(column);
        addRecovery(column);
        column->addStretch();

        using P = AppModel::Property;
        watchModel(model_, this,
                   {P::storePaths, P::lastBackupURL, P::busy, P::pendingMutations,
                    P::storageProblem, P::isBootstrapping},
                   [this] { refresh(); });
        refresh();
    }

  private:
    void addStorage(QVBoxLayout* column) {
        column->addWidget(sectionHeader("Storage"));
        column->addWidget(note("Saved layouts, shortcuts and settings stay on this computer."));
        column->addWidget(note("Everything stays on this computer. No account or cloud sync."));
        auto* rows = new QGridLayout;
        rows->addWidget(body("Saved layouts"), 0, 0);
        databasePath_ = named(note({}), "database-path");
        databasePath_->setTextInteractionFlags(Qt::TextSelectableByMouse);
        rows->addWidget(databasePath_, 0, 1);
        rows->addWidget(body("Last backup"), 1, 0);
        lastBackup_ = named(note({}), "last-backup");
        rows->addWidget(lastBackup_, 1, 1);
        rows->setColumnStretch(1, 1);
        column->addLayout(rows);

        auto* buttons = new QHBoxLayout;
        backup_ = named(new QPushButton("Back Up Now"), "backup-button");
        QObject::connect(backup_, &QPushButton::clicked, this, [this] { backUp(); });
        buttons->addWidget(backup_);
        auto* reveal = named(new QPushButton("Reveal Folder"), "reveal-folder-button");
        QObject::connect(reveal, &QPushButton::clicked, this,
                         [this] { openFolder(model_.storePaths().database.parent_path()); });
        buttons->addWidget(reveal);
        auto* revealBackup =
            named(new QPushButton("Reveal Backup Folder"), "reveal-backup-folder-button");
        QObject::connect(revealBackup, &QPushButton::clicked, this,
                         [this] { openFolder(model_.storePaths().backup.parent_path()); });
        buttons->addWidget(revealBackup);
        buttons->addStretch();
        column->addLayout(buttons);
        storageStatus_ = named(note({}), "storage-status");
        storageStatus_->hide();
        column->addWidget(storageStatus_);
    }

    void addRecovery(QVBoxLayout* column) {
        column->addWidget(sectionHeader("Recovery"));
        column->addWidget(
            note("A last-known-good copy is kept automatically. Damaged files are "
                 "preserved for inspection."));
        reset_ = named(new QPushButton, "reset-button");
        QObject::connect(reset_, &QPushButton::clicked, this, [this] { reset(); });
        auto* row = new QHBoxLayout;
        row->addWidget(reset_);
        row->addStretch();
        column->addLayout(row);
        column->addWidget(
            note("Erase every layout, shortcut, and setting. Your windows stay open."));
        column->addWidget(
            note("Reset also replaces the automatic backup with an empty one, so "
                 "old layouts cannot return through recovery."));
        resetStatus_ = named(note({}), "reset-status");
        resetStatus_->hide();
        column->addWidget(resetStatus_);
    }

    void refresh() {
        const StorePaths& paths = model_.storePaths();
        const QString help = "Saved layouts: " + pathText(paths.database) +
                             "\nAutomatic backup: " + pathText(paths.backup);
        databasePath_->setText(pathText(paths.database));
        databasePath_->setToolTip(help);

        QString backupDate = "None yet";
        if (const auto& backup = model_.lastBackupURL()) {
            const QFileInfo file(pathText(*backup));
            if (file.exists()) {
                backupDate = QLocale().toString(file.lastModified(), QLocale::ShortFormat);
            }
        }
        lastBackup_->setText(backupDate);

        const bool storageReady = !model_.storageProblem() && !model_.isBootstrapping();
        const bool quiet = !model_.busy() && model_.pendingMutations().empty();
        backup_->setEnabled(storageReady && quiet && !backingUp_);
        reset_->setText(resetting_ ? "Resetting layouts…" : "Reset Layouts…");
        reset_->setEnabled(storageReady && quiet && !resetting_);
    }

    static void show(QLabel* label, const QString& text) {
        label->setText(text);
        label->setVisible(!text.isEmpty());
    }

    void backUp() {
        backingUp_ = true;
        refresh();
        model_.backupNow([view = QPointer(this)](std::optional<std::string> failure) {
            if (!view) return;
            view->backingUp_ = false;
            show(view->storageStatus_,
                 failure ? "Couldn’t create the backup.\n" + qt(*failure) : "Backup saved.");
            view->refresh();
        });
    }

    void openFolder(const std::filesystem::path& folder) {
        if (!QDesktopServices::openUrl(QUrl::fromLocalFile(pathText(folder)))) {
            show(storageStatus_, "Couldn’t open " + pathText(folder) + ".");
        }
    }

    void reset() {
        if (!presenter_.confirmDestructiveAction("Reset Layouts?",
                                                 "Erase every layout, shortcut, and setting? "
                                                 "Your windows stay open. This can’t be undone.",
                                                 "Reset Layouts")) {
            return;
        }
        resetting_ = true;
        show(resetStatus_, {});
        refresh();
        model_.resetDatabase([view = QPointer(this)](DatabaseResetOutcome outcome) {
            if (!view) return;
            view->resetting_ = false;
            show(view->resetStatus_, resetReport(outcome));
            view->refresh();
        });
    }

    AppModel& model_;
    WindowPresenter& presenter_;
    QLabel* databasePath_ = nullptr;
    QLabel* lastBackup_ = nullptr;
    QPushButton* backup_ = nullptr;
    QLabel* storageStatus_ = nullptr;
    QPushButton* reset_ = nullptr;
    QLabel* resetStatus_ = nullptr;
    bool backingUp_ = false;
    bool resetting_ = false;
};

}  // namespace

QWidget* makeStorageTab(const ViewContext& context) {
    return new StorageTab(context);
}

}  // namespace orvale::ui
