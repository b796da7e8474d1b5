#pragma once
// The framework's exception family: file, memory and internet failures that the steps raise
// and the methods catch and show by their own text (ANSI).
#include <stdexcept>
#include <string>

namespace zx {

class FrameworkException : public std::runtime_error {
 public:
  explicit FrameworkException(const std::string& ansiMessage) : std::runtime_error(ansiMessage) {}
  // The error message as the framework gives it, at most 1023 characters.
  std::string errorMessage() const { return std::string(what()).substr(0, 1023); }
};

class FileException : public FrameworkException {
 public:
  using FrameworkException::FrameworkException;
};

class MemoryException : public FrameworkException {
 public:
  MemoryException() : FrameworkException("Out of memory.") {}
};

class InternetException : public FrameworkException {
 public:
  using FrameworkException::FrameworkException;
};

}  // namespace zx
