#pragma once

#include <QPointer>
#include <optional>
#include <string>

#include "model/Layout.h"
#include "ui/EditorWindow.h"
#include "ui/ViewContext.h"

class QLabel;
class QLineEdit;
class QStackedWidget;
class QVBoxLayout;

namespace orvale::ui {

class ShortcutRecorderWidget;

// The "Layout Details" window: edits the layout the model names as
// `manageLayoutID` (its name, saved windows, shortcut, display link), and
// replaces or deletes it. The layout is looked up afresh on every change of
// the model, so a change made anywhere shows at once; when it is gone the
// window says so and offers only Close. The view keeps only the name being
// typed and the last failure of each section.
//
// Threads: main thread only. The context's model, presenter and keys outlive
// the view. Replace and Delete ask the presenter for a confirmation, which
// waits for the user.
class LayoutDetailsView final : public EditorWindow {
  public:
    explicit LayoutDetailsView(const ViewContext& context);

  private:
    void buildDetails(QWidget* page);
    void refresh();
    void refreshName(const Layout& layout);
    void rebuildWindows(const Layout& layout);
    void refreshAutomation(const Layout& layout);
    // The layout shown, none when it is no longer available.
    const Layout* shown() const;

    void rename();
    void toggleLink();
    // Asks the user; true only when the action was chosen and the view is
    // still there.
    bool confirm(const char* title, const char* message, const char* action);
    void replaceLayout();
    void deleteLayout();
    // A reply that shows `title` and the failure's message in `label`, or
    // hides it on success; dropped once the view is gone.
    std::function<void(std::optional<std::string>)> reportTo(QLabel* label, const char* title);

    ViewContext context_;
    // The layout whose name the field holds, while the user has not edited it.
    std::optional<Uuid> nameFrom_;
    bool nameEdited_ = false;

    QStackedWidget* pages_ = nullptr;
    QLabel* title_ = nullptr;
    QLabel* summary_ = nullptr;
    QLineEdit* name_ = nullptr;
    QPushButton* rename_ = nullptr;
    QLabel* nameNote_ = nullptr;
    QLabel* nameFailure_ = nullptr;
    QVBoxLayout* windows_ = nullptr;
    QPointer<QWidget> windowsContent_;
    QLabel* windowsFailure_ = nullptr;
    ShortcutRecorderWidget* recorder_ = nullptr;
    QLabel* automation_ = nullptr;
    QLabel* explanation_ = nullptr;
    QPushButton* link_ = nullptr;
    QWidget* settingsNotice_ = nullptr;
    QLabel* linkFailure_ = nullptr;
    QPushButton* replace_ = nullptr;
    QPushButton* delete_ = nullptr;
    QLabel* manageFailure_ = nullptr;
};

}  // namespace orvale::ui
