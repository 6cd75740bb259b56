#include "runtime/SessionSources.h"

#include <string>
#include <vector>

namespace orvale {
namespace {

std::vector<SystemEvents*> sourcesOf(SystemEvents& desktop, LogindSession* logind) {
    if (!logind) return {&desktop};
    return {&desktop, logind};
}

}  // namespace

SessionSources::SessionSources(LoginSession& fallback, SystemEvents& desktopEvents,
                               std::ostream* notices, const LogindSession::Where& where)
    : logind_([&] {
          std::string why;
          auto logind = LogindSession::open(where, &why);
          if (!logind && notices) {
              *notices << "orvale: " << why
                       << "; the session counts as active and unlocked, and locking, sleep and "
                          "switching users go unnoticed.\n";
          }
          return logind;
      }()),
      fallback_(fallback),
      events_(sourcesOf(desktopEvents, logind_.get())) {}

}  // namespace orvale
