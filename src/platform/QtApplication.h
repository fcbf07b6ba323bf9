#pragma once

#include "Application.h"

// The program as Qt runs it.
class QtApplication : public Application
{
public:
    QString folder() const override;
    std::optional<double> fileSize(const QString &path) const override;
    void endProgram() override;
};
