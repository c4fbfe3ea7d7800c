#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

#include <optional>

// Where the main frame goes. Its normal position is kept in the profile as
// "Main Window" / "Position", four integers "left, top, right, bottom"; a saved
// rectangle beyond the full screen is moved to the top left corner, an empty
// one leaves the placement to the system, and the frame is always 550 × 550.
class CFramePlacement {
public:
    static constexpr int kFrameWidth = 550;
    static constexpr int kFrameHeight = 550;
    static constexpr const char *kDefaultPosition = "0, 0, 600, 450";

    // The frame's top left corner for a saved position on a full screen of
    // `fullScreen`; none when the system places the frame.
    static std::optional<QPoint> TopLeft(const QString &saved, const QSize &fullScreen);
    // The four integers of a saved position; a malformed or missing one leaves it and the rest at 0.
    struct Edges {
        int left = 0;
        int top = 0;
        int right = 0;
        int bottom = 0;
    };
    static Edges Parse(const QString &saved);
    static QString Format(const QRect &normalPosition);

    // The profile value and its default.
    static QString Load();
    static void Save(const QRect &normalPosition);
};
