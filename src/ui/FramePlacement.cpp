#include "FramePlacement.h"

#include <QSettings>
#include <QStringList>

namespace {
const char kKey[] = "Main Window/Position";
} // namespace

CFramePlacement::Edges CFramePlacement::Parse(const QString &saved)
{
    Edges edges;
    int *const values[] = {&edges.left, &edges.top, &edges.right, &edges.bottom};
    const QStringList parts = saved.split(u',');
    for (int i = 0; i < 4 && i < parts.size(); ++i) {
        bool ok = false;
        const int value = parts[i].trimmed().toInt(&ok);
        if (!ok)
            break;
        *values[i] = value;
    }
    return edges;
}

std::optional<QPoint> CFramePlacement::TopLeft(const QString &saved, const QSize &fullScreen)
{
    Edges edges = Parse(saved);
    if (edges.right > fullScreen.width() || edges.bottom > fullScreen.height())
        edges = {0, 0, edges.right - edges.left, edges.bottom - edges.top};
    if (edges.right > edges.left && edges.bottom > edges.top)
        return QPoint(edges.left, edges.top);
    return std::nullopt;
}

QString CFramePlacement::Format(const QRect &normalPosition)
{
    return QString::asprintf("%d, %d, %d, %d", normalPosition.left(), normalPosition.top(),
                             normalPosition.left() + normalPosition.width(),
                             normalPosition.top() + normalPosition.height());
}

QString CFramePlacement::Load()
{
    return QSettings().value(QLatin1String(kKey), QLatin1String(kDefaultPosition)).toString();
}

void CFramePlacement::Save(const QRect &normalPosition)
{
    QSettings().setValue(QLatin1String(kKey), Format(normalPosition));
}
