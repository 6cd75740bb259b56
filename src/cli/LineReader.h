#pragma once

#include <functional>
#include <istream>
#include <optional>
#include <string>

namespace orvale::cli {

// Where a command reads its user's answers, one line at a time: the process's
// own terminal, or the terminal of a command-line client that a resident
// program answers for.
//
// Threads: main thread only. `reply` is called exactly once, on the main
// thread, with the line (without its end) or nothing at the end of the input;
// it may be called before `readLine` returns.
class LineReader {
  public:
    using Reply = std::function<void(std::optional<std::string>)>;

    virtual ~LineReader() = default;
    virtual void readLine(Reply reply) = 0;
};

// Reads from a stream, blocking until a line or the end comes.
class StreamLineReader final : public LineReader {
  public:
    explicit StreamLineReader(std::istream& in) : in_(in) {}
    void readLine(Reply reply) override {
        std::string line;
        if (std::getline(in_, line)) {
            reply(std::move(line));
        } else {
            reply(std::nullopt);
        }
    }

  private:
    std::istream& in_;
};

}  // namespace orvale::cli
