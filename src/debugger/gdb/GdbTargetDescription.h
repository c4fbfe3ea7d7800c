#pragma once

#include <QByteArray>
#include <QSet>
#include <QString>

#include <functional>
#include <optional>

// The register numbers of a target description ("target.xml" and the
// documents it includes): registers count up from 0 in document order, a
// "regnum" attribute sets the count.
class CGdbTargetDescription {
public:
    static constexpr int kMaxDepth = 8;

    // The text of a document, nothing when it cannot be had.
    using Fetch = std::function<std::optional<QByteArray>(const QString &annex)>;

    explicit CGdbTargetDescription(Fetch fetch);

    // The number of the register named "pc"; nothing when no document names it.
    std::optional<int> PcRegister();

private:
    bool Walk(const QString &annex, int depth);

    Fetch m_fetch;
    QSet<QString> m_visited;
    int m_nNext = 0;
    std::optional<int> m_pc;
};
