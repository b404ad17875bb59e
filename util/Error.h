#pragma once
// The one general error class of Bookstub. Every failure the program reports is an Error
// carrying a message; operation boundaries log "[Unit.Operation]: Error:" + message and raise
// a new Error with the same message.

#include <stdexcept>
#include <string>

class Error : public std::runtime_error {
 public:
  explicit Error(const std::string& message) : std::runtime_error(message) {}
  std::string Message() const { return what(); }
};

// Message of the read error of a package stream (a blob that reaches outside the file).
inline constexpr const char* kStreamReadError = "Stream read error";
