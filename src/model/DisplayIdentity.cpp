#include "model/DisplayIdentity.h"

namespace orvale {

std::string DisplayIdentity::key() const {
    return std::to_string(vendor) + "-" + std::to_string(model) + "-" +
           std::to_string(serial != 0 ? serial : unit);
}

}  // namespace orvale
