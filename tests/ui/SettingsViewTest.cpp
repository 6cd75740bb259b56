#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>

#include "UiFixture.h"
#include "app/ModelTexts.h"
#include "ui/Autostart.h"
#include "ui/FormParts.h"
#include "ui/Illustration.h"
#include "ui/SettingsView.h"
#include "ui/SettingsViewExclusions.h"

// The settings window over a real model: what each tab says, and what its
// controls ask the model to do.
namespace orvale::testing {
namespace {

class SettingsViewTest : public UiFixture {
  protected:
    void SetUp() override {
        start();
        view = std::make_unique<ui::SettingsView>(context());
        settleUi();
    }

    QString text(const std::string& name) { return find<QLabel>(*view, name)->text(); }

    // The report of adding `chosen`, once the model has answered.
    std::string exclude(std::vector<ui::ChosenApplication> chosen) {
        std::optional<std::string> report;
        ui::excludeApplications(*model, std::move(chosen),
                                [&](std::string text) { report = std::move(text); });
        settleUi();
        EXPECT_TRUE(report) << "the exclusion never finished";
        return report.value_or("(no report)");
    }

    std::vector<std::string> excludedIDs() {
        std::vector<std::string> ids;
        for (const AppExclusion& exclusion : model->exclusions()) ids.push_back(exclusion.bundleID);
        return ids;
    }

    std::unique_ptr<ui::SettingsView> view;
};

// The version and platform come from the build and the running system.
TEST_F(SettingsViewTest, AboutNamesTheVersionAndThePlatform) {
    EXPECT_TRUE(QRegularExpression(R"(^Version \d+\.\d+\.\d+ \(\d+\)$)")
                    .match(text("about-version"))
                    .hasMatch())
        << text("about-version").toStdString();
    EXPECT_TRUE(text("about-platform").startsWith("Linux · X11 · "));
}

TEST_F(SettingsViewTest, TheWindowManagerRowFollowsThePermission) {
    EXPECT_EQ(text("permission-status"), "Window manager running");
    EXPECT_TRUE(find<QPushButton>(*view, "recheck-button")->isHidden());

    desktop.setTrusted(false);
    model->refreshPermission(false);
    settleUi();
    EXPECT_EQ(text("permission-status"), "Window manager needed");
    EXPECT_FALSE(find<QPushButton>(*view, "recheck-button")->isHidden());
    EXPECT_FALSE(find<QLabel>(*view, "permission-help")->isHidden());

    desktop.setTrusted(true);
    find<QPushButton>(*view, "recheck-button")->click();
    settleUi();
    EXPECT_EQ(text("permission-status"), "Window manager running");
}

TEST_F(SettingsViewTest, GeneralControlsChangeTheModelAndFollowIt) {
    find<QComboBox>(*view, "appearance-picker")->setCurrentIndex(2);
    EXPECT_EQ(model->appearance(), AppearancePreference::dark);
    find<QComboBox>(*view, "highlight-picker")->setCurrentIndex(3);
    EXPECT_EQ(model->highlightColor(), HighlightColor::pink);
    find<QCheckBox>(*view, "flash-toggle")->click();
    EXPECT_FALSE(model->restoreFlashEnabled());
    settleUi();
    EXPECT_EQ(text("highlight-note"), "The Pink rim shown after a restore.");

    // Changed elsewhere, shown here.
    model->setAutomationEnabled(true);
    model->setAppearance(AppearancePreference::light);
    settleUi();
    EXPECT_TRUE(find<QCheckBox>(*view, "automation-toggle")->isChecked());
    EXPECT_EQ(find<QComboBox>(*view, "appearance-picker")->currentText(), "Light");
    EXPECT_EQ(text("no-links"), "No layouts linked yet.");

    // A linked layout is listed with the model's description of its link.
    openWindow("Notes");
    const Uuid work = saveLayout("Work");
    ASSERT_EQ(await([&](auto reply) { model->associateAutomation(work, reply); }), std::nullopt);
    settleUi();
    EXPECT_EQ(view->findChild<QLabel*>("no-links"), nullptr);
    QStringList linked;
    for (const QLabel* label : find(*view, "linked-layouts")->findChildren<QLabel*>()) {
        linked << label->text();
    }
    EXPECT_EQ(linked,
              (QStringList{"Work", ui::qt(model->automationDescription(*model->layout(work)))}));
}

// The configuration folder is the tests' own, made by their main().
TEST_F(SettingsViewTest, StartAtLoginWritesAndRemovesTheAutostartEntry) {
    const QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    const QString entry = config + "/autostart/org.orvale.Orvale.desktop";
    auto* toggle = find<QCheckBox>(*view, "login-toggle");
    EXPECT_FALSE(toggle->isChecked());

    toggle->click();
    EXPECT_TRUE(toggle->isChecked());
    QFile written(entry);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    const QString contents = QString::fromUtf8(written.readAll());
    EXPECT_TRUE(contents.contains(
        "\nExec=" + ui::desktopExecArgument(QCoreApplication::applicationFilePath()) + "\n"))
        << contents.toStdString();
    QProcess validate;
    validate.start("desktop-file-validate", {entry});
    ASSERT_TRUE(validate.waitForFinished());
    EXPECT_EQ(validate.exitCode(), 0);
    EXPECT_EQ(validate.readAllStandardOutput(), "");

    // Another window reads it from the folder, not from this one.
    const ui::SettingsView again(context());
    EXPECT_TRUE(find<QCheckBox>(again, "login-toggle")->isChecked());

    toggle->click();
    EXPECT_FALSE(QFile::exists(entry));
    EXPECT_FALSE(toggle->isChecked());
    EXPECT_TRUE(find<QLabel>(*view, "login-error")->isHidden());

    // A file where the folder should be: the toggle stays off and says why.
    ASSERT_TRUE(QDir(config + "/autostart").removeRecursively());
    QFile blocker(config + "/autostart");
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    toggle->click();
    EXPECT_FALSE(toggle->isChecked());
    EXPECT_FALSE(find<QLabel>(*view, "login-error")->isHidden());
    EXPECT_EQ(text("login-error"), "Couldn’t create the folder “" + config + "/autostart”.");
    EXPECT_TRUE(blocker.remove());
}

TEST(AutostartTest, EntryPathFollowsAnAbsoluteConfigHomeOnly) {
    const QString fallback = QDir::homePath() + "/.config/autostart/org.orvale.Orvale.desktop";
    const std::vector<std::pair<QString, QString>> cases = {
        {"/tmp/config", "/tmp/config/autostart/org.orvale.Orvale.desktop"},
        {"", fallback},
        {"relative/config", fallback},
    };
    const QByteArray tests = qgetenv("XDG_CONFIG_HOME");
    for (const auto& [value, expected] : cases) {
        qputenv("XDG_CONFIG_HOME", value.toUtf8());
        EXPECT_EQ(ui::autostartEntryPath(), expected) << value.toStdString();
    }
    qputenv("XDG_CONFIG_HOME", tests);
}

TEST(AutostartTest, ExecArgumentQuotesAndEscapesOnlyWhatItMust) {
    const std::vector<std::pair<QString, QString>> cases = {
        {"/usr/bin/orvale", "/usr/bin/orvale"},
        {"/opt/my apps/orvale", R"("/opt/my apps/orvale")"},
        {"/opt/100%/orvale", R"("/opt/100%%/orvale")"},
        {"/opt/$HOME/or\"vale", R"("/opt/\\$HOME/or\\"vale")"},
        {R"(/opt/back\slash)", R"("/opt/back\\\\slash")"},
    };
    for (const auto& [path, expected] : cases) {
        EXPECT_EQ(ui::desktopExecArgument(path), expected) << path.toStdString();
    }
}

TEST_F(SettingsViewTest, EscapeClosesTheWindow) {
    view->show();
    QTest::keyClick(view.get(), Qt::Key_Escape);
    EXPECT_EQ(presenter.calls.back(), "close settings");
}

TEST_F(SettingsViewTest, AddingApplicationsReportsWhatWasNotAdded) {
    ASSERT_EQ(exclude({{"org.example.Mail", "Mail"}}), "");
    struct Case {
        std::vector<ui::ChosenApplication> chosen;
        std::string report;
        std::vector<std::string> excludedAfter;
    };
    for (const Case& c : std::vector<Case>{
             {{{"org.example.Mail", "Mail"}},
              "These apps are already excluded.",
              {"org.example.Mail"}},
             {{}, "No apps added.", {"org.example.Mail"}},
             {{{" ", "Ghost"}, {"org.example.Notes", "Notes"}, {"org.example.Mail", "Mail"}},
              "“Ghost” has no app ID. Choose another app.",
              {"org.example.Mail", "org.example.Notes"}},
         }) {
        EXPECT_EQ(exclude(c.chosen), c.report);
        auto ids = excludedIDs();
        std::sort(ids.begin(), ids.end());
        EXPECT_EQ(ids, c.excludedAfter);
    }

    // The model's refusal is reported by name, with its words.
    openWindow("Clock");
    model->restoreLayout(saveLayout("Desk"));
    ASSERT_TRUE(model->busy());
    EXPECT_EQ(exclude({{"org.example.Clock", "Clock"}}), std::string("“Clock” was not added. ") +
                                                             ModelText::waitBeforeExclusions +
                                                             "\nNo apps added.");
}

TEST_F(SettingsViewTest, ExcludedApplicationsAreListedAndRemovable) {
    auto* add = find<QPushButton>(*view, "add-applications-button");
    ASSERT_EQ(exclude({{"org.example.Mail", "Mail"}}), "");
    auto* remove = find<QPushButton>(*view, "remove-org.example.Mail");
    ASSERT_NE(remove, nullptr);
    EXPECT_EQ(remove->accessibleName(), "Remove Mail");
    remove->click();
    QCoreApplication::processEvents();
    EXPECT_FALSE(add->isEnabled()) << "disabled while the change is pending";
    settleUi();
    EXPECT_TRUE(model->exclusions().empty());
    EXPECT_TRUE(add->isEnabled());
    EXPECT_EQ(view->findChild<QPushButton*>("remove-org.example.Mail"), nullptr);
}

TEST_F(SettingsViewTest, StorageShowsThePathsAndTheBackup) {
    auto* path = find<QLabel>(*view, "database-path");
    EXPECT_EQ(path->text().toStdString(), paths.database.string());
    EXPECT_EQ(path->toolTip().toStdString(), "Saved layouts: " + paths.database.string() +
                                                 "\nAutomatic backup: " + paths.backup.string());
    find<QPushButton>(*view, "backup-button")->click();
    settleUi();
    EXPECT_EQ(text("storage-status"), "Backup saved.");
    EXPECT_NE(text("last-backup"), "None yet");
}

TEST_F(SettingsViewTest, ResetAsksFirstAndReportsTheOutcome) {
    openWindow("Notes");
    saveLayout("Work");
    auto* reset = find<QPushButton>(*view, "reset-button");

    presenter.confirms = false;
    reset->click();
    settleUi();
    EXPECT_EQ(layoutNames(), std::vector<std::string>{"Work"});
    EXPECT_EQ(presenter.calls.back(),
              "confirm Reset Layouts?: Erase every layout, shortcut, and setting? Your windows "
              "stay open. This can’t be undone. [Reset Layouts]");

    presenter.confirms = true;
    files->fail(Op::writeFile, "reset-pending");
    files->fail(Op::rename, "reset-pending");
    reset->click();
    EXPECT_EQ(reset->text(), "Resetting layouts…");
    EXPECT_FALSE(reset->isEnabled());
    settleUi();
    EXPECT_TRUE(text("reset-status")
                    .startsWith("Couldn’t reset layouts. Nothing was removed.\n"
                                "Reset failed. No saved data removed."));
    EXPECT_EQ(reset->text(), "Reset Layouts…");

    files->clear();
    reset->click();
    settleUi();
    EXPECT_EQ(text("reset-status"), "Layouts and settings were cleared. Your windows stay open.");
    EXPECT_TRUE(model->layouts().empty());
}

TEST(IllustrationTest, AnimatesOnlyWhileShownAndNeverWhenMotionIsReduced) {
    for (const bool reduced : {false, true}) {
        if (reduced) ::setenv("ORVALE_REDUCE_MOTION", "1", 1);
        ui::Illustration illustration(ui::Illustration::Kind::storage);
        auto* timer = illustration.findChild<QTimer*>();
        ASSERT_NE(timer, nullptr);
        illustration.show();
        EXPECT_EQ(timer->isActive(), !reduced);
        illustration.hide();
        EXPECT_FALSE(timer->isActive());
        ::unsetenv("ORVALE_REDUCE_MOTION");
    }
}

}  // namespace
}  // namespace orvale::testing
