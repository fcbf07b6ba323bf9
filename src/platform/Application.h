#pragma once

#include <QString>

#include <optional>

// The running program: where it lives, and how it ends.
class Application
{
public:
    virtual ~Application() = default;

    // The folder that holds the executable; empty when it cannot be named.
    virtual QString folder() const = 0;
    // The file's length in bytes; nothing when it is not a readable file.
    virtual std::optional<double> fileSize(const QString &path) const = 0;
    // Ends the program at once (after the current handler returns).
    virtual void endProgram() = 0;
};
