#include "model/Layout.h"

namespace orvale {

std::set<std::string> Layout::displayKeys() const {
    std::set<std::string> keys;
    for (const DisplaySnapshot& display : displays) keys.insert(display.key());
    return keys;
}

}  // namespace orvale
