#include "ControlLookup.h"

#include <QVariant>
#include <QWidget>

QWidget *FindControl(const QWidget &root, int id)
{
    for (QWidget *widget : root.findChildren<QWidget *>()) {
        const QVariant number = widget->property(kControlIdProperty);
        if (number.isValid() && number.toInt() == id)
            return widget;
    }
    return nullptr;
}
