// The General tab: the window manager Orvale depends on, appearance, starting
// at login, the restore highlight and automation.

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "ui/Autostart.h"
#include "ui/FormParts.h"
#include "ui/ModelWatch.h"
#include "ui/SettingsViewTabs.h"

namespace orvale::ui {
namespace {

QString appearanceLabel(AppearancePreference appearance) {
    switch (appearance) {
        case AppearancePreference::system:
            return "Match the desktop";
        case AppearancePreference::light:
            return "Light";
        case AppearancePreference::dark:
            return "Dark";
    }
    return {};
}

QString colorLabel(HighlightColor color) {
    const std::string_view text = label(color);
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

// A caption with its control on the right.
QHBoxLayout* labelled(const QString& caption, QWidget* control) {
    auto* row = new QHBoxLayout;
    row->addWidget(body(caption));
    row->addStretch();
    row->addWidget(control);
    return row;
}

class GeneralTab final : public QWidget {
  public:
    explicit GeneralTab(const ViewContext& context) : model_(context.model) {
        auto* column = new QVBoxLayout(this);
        column->addWidget(introduction("Your Windows, in Place.",
                                       "Save your workspace and bring it back when you need it.",
                                       Illustration::Kind::windows));
        addWindowManager(column);
        addAppearance(column);
        addStartup(column);
        addFeedback(column);
        addAutomation(column);
        column->addStretch();

        using P = AppModel::Property;
        watchModel(model_, this,
                   {P::permissionTrusted, P::appearance, P::restoreFlashEnabled, P::highlightColor,
                    P::automationEnabled, P::layouts},
                   [this] { refresh(); });
        refresh();
    }

  private:
    void addWindowManager(QVBoxLayout* column) {
        column->addWidget(sectionHeader("Window Manager",
                                        "Orvale needs a window manager to read and move windows."));
        auto* row = new QHBoxLayout;
        permissionIcon_ = new QLabel;
        permissionIcon_->setFixedSize(20, 20);
        row->addWidget(permissionIcon_);
        permissionStatus_ = named(body({}), "permission-status");
        row->addWidget(permissionStatus_, 1);
        recheck_ = named(new QPushButton("Recheck"), "recheck-button");
        QObject::connect(recheck_, &QPushButton::clicked, this,
                         [this] { model_.refreshPermission(false); });
        row->addWidget(recheck_);
        column->addLayout(row);
        permissionHelp_ = named(note("Start a window manager that supports EWMH, such as Openbox, "
                                     "Xfwm, KWin or Mutter, then Recheck."),
                                "permission-help");
        column->addWidget(permissionHelp_);
    }

    void addAppearance(QVBoxLayout* column) {
        column->addWidget(
            sectionHeader("Appearance", "Match the desktop, or keep Orvale light or dark."));
        appearance_ = named(new QComboBox, "appearance-picker");
        appearance_->setAccessibleName("Appearance");
        for (AppearancePreference choice : kAppearancePreferences) {
            appearance_->addItem(appearanceLabel(choice));
        }
        QObject::connect(appearance_, &QComboBox::currentIndexChanged, this, [this](int index) {
            if (index >= 0) model_.setAppearance(kAppearancePreferences[std::size_t(index)]);
        });
        column->addLayout(labelled("Appearance", appearance_));
    }

    // The autostart entry is the desktop's, not the model's: the toggle reads
    // the file system, and a failure to write it is shown beneath.
    void addStartup(QVBoxLayout* column) {
        column->addWidget(sectionHeader("Startup", "Start Orvale when you log in."));
        login_ = named(new QCheckBox("Start at login"), "login-toggle");
        login_->setChecked(startsAtLogin());
        loginError_ = named(note({}), "login-error");
        loginError_->setVisible(false);
        QObject::connect(login_, &QCheckBox::toggled, this, [this](bool on) {
            const std::optional<QString> failure = setStartsAtLogin(on);
            loginError_->setText(failure.value_or(QString()));
            loginError_->setVisible(failure.has_value());
            const QSignalBlocker quiet(login_);
            login_->setChecked(startsAtLogin());
        });
        column->addWidget(login_);
        column->addWidget(loginError_);
    }

    void addFeedback(QVBoxLayout* column) {
        column->addWidget(
            sectionHeader("Feedback", "Show a short confirmation after a manual restore."));
        flash_ = named(new QCheckBox("Highlight restored windows"), "flash-toggle");
        QObject::connect(flash_, &QCheckBox::toggled, this,
                         [this](bool on) { model_.setRestoreFlashEnabled(on); });
        column->addWidget(flash_);
        column->addWidget(note("Show a brief rim around every window that was put back."));
        highlight_ = named(new QComboBox, "highlight-picker");
        highlight_->setAccessibleName("Highlight color");
        for (HighlightColor color : kHighlightColors) highlight_->addItem(colorLabel(color));
        QObject::connect(highlight_, &QComboBox::currentIndexChanged, this, [this](int index) {
            if (index >= 0) model_.setHighlightColor(kHighlightColors[std::size_t(index)]);
        });
        column->addLayout(labelled("Highlight color", highlight_));
        highlightNote_ = named(note({}), "highlight-note");
        column->addWidget(highlightNote_);
    }

    void addAutomation(QVBoxLayout* column) {
        column->addWidget(sectionHeader(
            "Automation", "Restore a linked layout when displays change or the computer wakes."));
        column->addWidget(
            note("Automation runs only when the current displays match the setup linked to a "
                 "layout. Link one in Layout Details → Automation."));
        automation_ = named(new QCheckBox("Restore automatically"), "automation-toggle");
        QObject::connect(automation_, &QCheckBox::toggled, this,
                         [this](bool on) { model_.setAutomationEnabled(on); });
        column->addWidget(automation_);
        column->addWidget(note("Only for layouts linked to a display setup."));
        auto* linked = named(new QWidget, "linked-layouts");
        linked_ = new QVBoxLayout(linked);
        linked_->setContentsMargins(0, 4, 0, 0);
        column->addWidget(linked);
    }

    void refresh() {
        const bool trusted = model_.permissionTrusted();
        permissionStatus_->setText(trusted ? "Window manager running" : "Window manager needed");
        const QIcon icon = QIcon::fromTheme(trusted ? "emblem-ok" : "dialog-warning");
        permissionIcon_->setPixmap(icon.isNull() ? QPixmap() : icon.pixmap(20, 20));
        permissionHelp_->setVisible(!trusted);
        recheck_->setVisible(!trusted);

        const QSignalBlocker quietAppearance(appearance_);
        appearance_->setCurrentIndex(int(model_.appearance()));
        const QSignalBlocker quietFlash(flash_);
        flash_->setChecked(model_.restoreFlashEnabled());
        const QSignalBlocker quietHighlight(highlight_);
        highlight_->setCurrentIndex(int(model_.highlightColor()));
        highlightNote_->setText("The " + colorLabel(model_.highlightColor()) +
                                " rim shown after a restore.");
        const QSignalBlocker quietAutomation(automation_);
        automation_->setChecked(model_.automationEnabled());

        clearLayout(linked_);
        for (const Layout& layout : model_.layouts()) {
            if (!layout.automationEnabled) continue;
            auto* row = new QHBoxLayout;
            row->addWidget(body(qt(layout.name)));
            row->addStretch();
            row->addWidget(note(qt(model_.automationDescription(layout))));
            linked_->addLayout(row);
        }
        if (linked_->isEmpty())
            linked_->addWidget(named(note("No layouts linked yet."), "no-links"));
    }

    AppModel& model_;
    QLabel* permissionIcon_ = nullptr;
    QLabel* permissionStatus_ = nullptr;
    QLabel* permissionHelp_ = nullptr;
    QPushButton* recheck_ = nullptr;
    QComboBox* appearance_ = nullptr;
    QCheckBox* login_ = nullptr;
    QLabel* loginError_ = nullptr;
    QCheckBox* flash_ = nullptr;
    QComboBox* highlight_ = nullptr;
    QLabel* highlightNote_ = nullptr;
    QCheckBox* automation_ = nullptr;
    QVBoxLayout* linked_ = nullptr;
};

}  // namespace

QWidget* makeGeneralTab(const ViewContext& context) {
    return new GeneralTab(context);
}

}  // namespace orvale::ui
