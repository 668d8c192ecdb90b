#pragma once

#include <stdexcept>
#include <string>

// A failing platform call, with the name of the component in which it arose, for the
// error reports that name both.
class PlatformError : public std::runtime_error {
  public:
    PlatformError(const std::string& message, std::string source)
        : std::runtime_error(message), source_(std::move(source)) {}
    const std::string& Source() const { return source_; }

  private:
    std::string source_;
};
