#include "ScopedStatusText.h"

#include "StatusText.h"

CScopedStatusText::CScopedStatusText(const QString &text)
{
    theStatusText().SetStatusText(text);
}

CScopedStatusText::~CScopedStatusText()
{
    theStatusText().SetStatusText(QString());
}
