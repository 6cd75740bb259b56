#include "ui/ModelWatch.h"

#include <QPointer>
#include <algorithm>
#include <memory>
#include <vector>

namespace orvale::ui {
namespace {

// Holds the model's observation as a child of the view, so that it ends with
// the view.
class Watch final : public QObject {
  public:
    Watch(QObject* owner, std::function<void()> refresh)
        : QObject(owner), refresh_(std::move(refresh)) {}

    void changed() {
        if (pending_) return;
        pending_ = true;
        QMetaObject::invokeMethod(
            this,
            [this] {
                pending_ = false;
                refresh_();
            },
            Qt::QueuedConnection);
    }

    AppModel::Observation observation;

  private:
    std::function<void()> refresh_;
    bool pending_ = false;
};

}  // namespace

void watchModel(AppModel& model, QObject* owner,
                std::initializer_list<AppModel::Property> properties,
                std::function<void()> refresh) {
    auto* watch = new Watch(owner, std::move(refresh));
    std::vector<AppModel::Property> wanted(properties);
    watch->observation = model.observe([watch = QPointer<Watch>(watch),
                                        wanted = std::move(wanted)](AppModel::Property property) {
        if (!watch) return;
        if (wanted.empty() || std::find(wanted.begin(), wanted.end(), property) != wanted.end()) {
            watch->changed();
        }
    });
}

}  // namespace orvale::ui
