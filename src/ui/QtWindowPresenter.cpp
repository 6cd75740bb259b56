#include "ui/QtWindowPresenter.h"

#include <QCloseEvent>
#include <QMessageBox>
#include <QPushButton>

namespace orvale::ui {

// Tells the presenter when its window has closed.
class QtWindowPresenter::CloseWatch final : public QObject {
  public:
    CloseWatch(QtWindowPresenter& presenter, std::string id, QWidget* window)
        : QObject(window), presenter_(presenter), id_(std::move(id)) {
        window->installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Close && event->isAccepted()) {
            // Past the window's own handler: it may still refuse.
            QMetaObject::invokeMethod(
                this,
                [this, window = QPointer<QObject>(watched)] {
                    auto* widget = qobject_cast<QWidget*>(window.data());
                    if (widget && !widget->isVisible()) presenter_.closed(id_);
                },
                Qt::QueuedConnection);
        }
        return false;
    }

  private:
    QtWindowPresenter& presenter_;
    std::string id_;
};

QtWindowPresenter::~QtWindowPresenter() {
    for (auto& [id, open] : open_) delete open.widget.data();
}

void QtWindowPresenter::registerWindow(std::string id, Factory factory) {
    factories_[std::move(id)] = std::move(factory);
}

QWidget* QtWindowPresenter::window(std::string_view id) const {
    const auto found = open_.find(id);
    return found == open_.end() ? nullptr : found->second.widget.data();
}

void QtWindowPresenter::show(std::string_view id, std::string_view title,
                             std::function<void()> onUserClose) {
    QWidget* widget = window(id);
    if (!widget) {
        const auto factory = factories_.find(id);
        if (factory == factories_.end()) return;
        widget = factory->second().release();
        if (!widget) return;
        widget->setAttribute(Qt::WA_DeleteOnClose, false);
        new CloseWatch(*this, std::string(id), widget);
        open_[std::string(id)] = Open{widget, {}};
    }
    open_.find(id)->second.onUserClose = std::move(onUserClose);
    if (!title.empty())
        widget->setWindowTitle(QString::fromUtf8(title.data(), qsizetype(title.size())));
    widget->show();
    widget->raise();
    widget->activateWindow();
}

void QtWindowPresenter::close(std::string_view id) {
    QWidget* widget = window(id);
    if (!widget) return;
    // Forgotten first, so that its closing is not taken for the user's.
    open_.erase(open_.find(id));
    widget->hide();
    widget->deleteLater();
}

void QtWindowPresenter::focus(std::string_view id) {
    if (QWidget* widget = window(id)) {
        widget->raise();
        widget->activateWindow();
    }
}

void QtWindowPresenter::closed(const std::string& id) {
    const auto found = open_.find(id);
    if (found == open_.end()) return;
    Open open = std::move(found->second);
    open_.erase(found);
    if (open.widget) open.widget->deleteLater();
    if (open.onUserClose) open.onUserClose();
}

void QtWindowPresenter::presentAlert(const std::string& title, const std::string& message) {
    auto* box = new QMessageBox(QMessageBox::Warning, QString::fromStdString(title),
                                QString::fromStdString(message), QMessageBox::Ok);
    box->setObjectName("alert");
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

bool QtWindowPresenter::confirmDestructiveAction(const std::string& title,
                                                 const std::string& message,
                                                 const std::string& actionTitle) {
    QMessageBox box(QMessageBox::Warning, QString::fromStdString(title),
                    QString::fromStdString(message));
    box.setObjectName("confirmation");
    QPushButton* action =
        box.addButton(QString::fromStdString(actionTitle), QMessageBox::DestructiveRole);
    QPushButton* cancel = box.addButton(QMessageBox::Cancel);
    box.setDefaultButton(cancel);
    box.setEscapeButton(cancel);
    box.exec();
    return box.clickedButton() == action;
}

}  // namespace orvale::ui
