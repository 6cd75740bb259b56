#pragma once

#include <nlohmann/json.hpp>
#include <ostream>
#include <string_view>

#include "app/AppModel.h"

namespace orvale::cli {

// The published property's name as the bus announces it ("busy",
// "lastResult", …).
std::string_view propertyName(AppModel::Property property);

// The property's value as JSON: texts, booleans and numbers as they are,
// identifiers as their text, shortcuts as their labels, layouts and results
// as `orvale list --json` and `orvale restore --json` print them; null when
// the property is unset.
nlohmann::json propertyValue(const AppModel& model, AppModel::Property property);

// What the program is doing, one line per concern, in the model's words: the
// operation in progress, what can be undone, the automation and the session,
// the window manager, the shortcuts and the storage.
void printStatus(const AppModel& model, std::ostream& out);

}  // namespace orvale::cli
