#include "failure.h"

namespace platform {

Failure::Failure(int number, QString description)
    : std::runtime_error(description.toStdString()), number_(number), description_(std::move(description))
{
}

} // namespace platform
