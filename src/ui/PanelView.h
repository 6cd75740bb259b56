#pragma once

#include <QAbstractButton>
#include <QLabel>
#include <QMenu>
#include <QPointer>
#include <QVBoxLayout>
#include <QWidget>
#include <functional>
#include <optional>
#include <string>

#include "ui/PanelRules.h"
#include "ui/ViewContext.h"

namespace orvale::ui {

// The program's main surface: the selected layout and its Restore, the saved
// layouts, the progress and result of the last restore with Undo, the
// banners, and the footer. Every action goes through the model; the panel
// keeps only view flags (which disclosures are open).
//
// The panel redraws itself from the model after every change, keeping the
// keyboard focus on the control of the same name. It asks the model to
// refresh each time it is shown, and announces new results and errors to
// assistive technology through a hidden live label. Escape hides it when it
// is a window of its own.
//
// Threads: main thread only. The context outlives the panel.
class PanelView final : public QWidget {
  public:
    explicit PanelView(const ViewContext& context, QWidget* parent = nullptr);
    ~PanelView() override;

    // The last announcement made, for whoever reads it back.
    QString lastAnnouncement() const;

  protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

  private:
    void rebuild();
    // Runs `change` on a click of `button`, then redraws.
    void redrawOnClick(QAbstractButton* button, std::function<void()> change);
    QWidget* build(panel::Section section);
    QWidget* loadingSection();
    QWidget* storageProblemSection();
    QWidget* permissionSection();
    QWidget* storageNoticeSection();
    QWidget* firstRunSection();
    QWidget* selectedLayoutSection();
    QWidget* progressSection();
    QWidget* resultSection();
    QWidget* automationNoticeSection();
    QWidget* layoutsSection();
    QWidget* footer();
    QWidget* saveButton();
    QWidget* layoutRow(const Layout& layout);

    void showRowMenu(const Uuid& id, const QPoint& at);
    void deleteLayout(const Uuid& id);
    void save();
    void announce(const QString& text);
    // Keeps announcements of the model's news, synchronously, so that an
    // error dismissed at once is still heard.
    void heard(AppModel::Property property);

    ViewContext context_;
    QVBoxLayout* column_;
    QWidget* content_ = nullptr;
    QLabel* live_;
    QMenu rowMenu_;
    AppModel::Observation observation_;
    std::optional<Uuid> lastResultID_;
    std::optional<Uuid> lastErrorID_;
    // View flags.
    bool resultExpanded_ = false;
    bool noticeDetailsShown_ = false;
    bool problemDetailsShown_ = false;
};

}  // namespace orvale::ui
