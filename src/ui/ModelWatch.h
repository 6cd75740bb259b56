#pragma once

#include <QObject>
#include <functional>
#include <initializer_list>

#include "app/AppModel.h"

namespace orvale::ui {

// Calls `refresh` after changes of any of `properties` (every property when
// the list is empty) for as long as `owner` lives. Changes are coalesced: the
// model announces them from inside its own work, sometimes while a control of
// the view is still handling a click, so the view is redrawn once, from the
// event loop, after the work that changed the model has returned.
//
// Threads: main thread only.
void watchModel(AppModel& model, QObject* owner,
                std::initializer_list<AppModel::Property> properties,
                std::function<void()> refresh);

}  // namespace orvale::ui
