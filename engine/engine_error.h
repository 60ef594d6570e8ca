// Errors the engine's steps raise to their callers; the backup's catch-all catches EngineError.
#pragma once

#include <stdexcept>
#include <string>

namespace engine {

class EngineError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// unlha32.dll or its entry Unlha could not be found.
class ArchiverUnavailable : public EngineError {
public:
    using EngineError::EngineError;
};

// A text file could not be read: missing, unreadable or empty.
class TextFileError : public EngineError {
public:
    using EngineError::EngineError;
};

}  // namespace engine
