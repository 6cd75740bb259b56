#pragma once

#include <QPointer>
#include <optional>
#include <string>

#include "model/Uuid.h"
#include "ui/EditorWindow.h"
#include "ui/ViewContext.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QVBoxLayout;

namespace orvale::ui {

// The "Save Layout" window: turns the model's pending capture into a saved
// layout. The user names it, removes the windows not to keep, and saves it,
// or replaces the layout of the same name. It keeps only the name typed, the
// replace choice, whether a save runs and the last save's failure; the
// windows are read from the model afresh.
//
// Closing the window in any way, and destroying it, discards the capture it
// showed, so that an abandoned capture never lingers in the model; a capture
// made after it is left alone.
//
// Threads: main thread only. The context's model, presenter and keys outlive
// the view.
class SaveLayoutView final : public EditorWindow {
  public:
    explicit SaveLayoutView(const ViewContext& context);
    ~SaveLayoutView() override;

  protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    void refresh();
    // The parts that follow the name as it is typed.
    void refreshName();
    void rebuildWindows();
    std::string trimmedName() const;
    bool matchesExisting() const;
    bool canSave() const;
    void save();
    void discardCapture();

    ViewContext context_;
    // The capture shown, the one to discard on closing.
    std::optional<Uuid> captureID_;
    bool closed_ = false;
    bool saving_ = false;
    std::optional<std::string> saveError_;

    QLabel* capturing_ = nullptr;
    QLineEdit* name_ = nullptr;
    QLabel* nameNote_ = nullptr;
    QCheckBox* replace_ = nullptr;
    QVBoxLayout* windows_ = nullptr;
    QPointer<QWidget> windowsContent_;
    QLabel* error_ = nullptr;
    QPushButton* confirm_ = nullptr;
};

}  // namespace orvale::ui
