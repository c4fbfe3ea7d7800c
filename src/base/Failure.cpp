#include "Failure.h"

CFailure CFailure::Logged(const QString &text, Then then)
{
    return CFailure {Shown::InLog, text, then, nullptr};
}

CFailure CFailure::Message(const QString &text, Then then)
{
    return CFailure {Shown::InMessageBox, text, then, nullptr};
}

CFailure CFailure::CausedBy(const CFailure &cause) const
{
    CFailure failure = *this;
    failure.cause = std::make_shared<const CFailure>(cause);
    return failure;
}
