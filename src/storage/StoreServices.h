#pragma once

#include <functional>
#include <memory>

#include "model/Clock.h"
#include "storage/FileSystem.h"

namespace orvale {

// What the store reaches outside the database through: the file system and the
// clock. Both are shared with whoever passed them in.
struct StoreServices {
    std::shared_ptr<FileSystem> fileSystem = posixFileSystem();
    std::reference_wrapper<Clock> clock = systemClock();
};

}  // namespace orvale
