#pragma once

#include <chrono>
#include <functional>
#include <future>
#include <memory>
#include <thread>

#include "app/MainThread.h"

namespace orvale {

// Answers `question` on the main thread and hands the answer back to the
// caller, for work off the main thread that needs a reading only the main
// thread may take.
//
// Called on the main thread itself (`mainThreadID`), it answers at once.
// Called anywhere else, it posts the question and blocks until the answer
// comes, for at most `patience`: a main thread that has stopped running its
// tasks (the program is ending) or has dropped them must not hold the caller
// for ever, and `unanswered` stands in then. The wait is on the steady clock,
// as a wait for another thread cannot be on a virtual one.
template <typename T>
T askMainThread(MainThread& mainThread, std::thread::id mainThreadID, std::function<T()> question,
                T unanswered, std::chrono::steady_clock::duration patience) {
    if (std::this_thread::get_id() == mainThreadID) return question();
    auto promise = std::make_shared<std::promise<T>>();
    std::future<T> answer = promise->get_future();
    // The task holds the only reference, so a task dropped unrun breaks the
    // promise and ends the wait at once.
    mainThread.post([promise = std::move(promise), question = std::move(question)] {
        promise->set_value(question());
    });
    if (answer.wait_for(patience) != std::future_status::ready) return unanswered;
    try {
        return answer.get();
    } catch (const std::future_error&) {
        // The task was dropped without running.
        return unanswered;
    }
}

}  // namespace orvale
