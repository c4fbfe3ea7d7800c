#include "CompoundFile.h"

#include "base/FileName.h"
#include "base/InputFile.h"
#include "base/ReplacingFile.h"

#include <QFile>

#include <gsf/gsf-infile-msole.h>
#include <gsf/gsf-infile.h>
#include <gsf/gsf-input-stdio.h>
#include <gsf/gsf-outfile-msole.h>
#include <gsf/gsf-outfile.h>
#include <gsf/gsf-output-memory.h>
#include <gsf/gsf-utils.h>

#include <cerrno>
#include <cstdio>
#include <memory>
#include <unistd.h>
#include <vector>

namespace {

struct GObjectUnref {
    void operator()(gpointer object) const { g_object_unref(object); }
};
template <typename T>
using GsfPtr = std::unique_ptr<T, GObjectUnref>;

// Collects a GError and frees it.
class GErrorHolder {
public:
    GErrorHolder() = default;
    GErrorHolder(const GErrorHolder &) = delete;
    GErrorHolder &operator=(const GErrorHolder &) = delete;
    ~GErrorHolder() { g_clear_error(&m_error); }
    GError **Out() { return &m_error; }
    QString Message() const { return m_error ? QString::fromUtf8(m_error->message) : QString(); }

private:
    GError *m_error = nullptr;
};

void InitialiseGsf()
{
    static const bool initialised = (gsf_init(), true);
    Q_UNUSED(initialised);
}

void Discard(const gchar *, GLogLevelFlags, const gchar *, gpointer)
{
}

// Drops the library's complaints about a damaged file while it is read: the
// caller reports the file as unreadable in its own words.
class ScopedQuietGsf {
public:
    ScopedQuietGsf()
    {
        for (const char *domain : kDomains)
            m_handlers.push_back(g_log_set_handler(domain, kLevels, Discard, nullptr));
    }
    ~ScopedQuietGsf()
    {
        for (size_t i = 0; i < m_handlers.size(); ++i)
            g_log_remove_handler(kDomains[i], m_handlers[i]);
    }
    ScopedQuietGsf(const ScopedQuietGsf &) = delete;
    ScopedQuietGsf &operator=(const ScopedQuietGsf &) = delete;

private:
    static constexpr const char *kDomains[] = {nullptr, "libgsf", "libgsf:msole"};
    static constexpr auto kLevels = GLogLevelFlags(G_LOG_LEVEL_CRITICAL | G_LOG_LEVEL_WARNING | G_LOG_LEVEL_MESSAGE);
    std::vector<guint> m_handlers;
};

} // namespace

CCompoundFile::ReadResult CCompoundFile::ReadStream(const QString &path, const char *streamName)
{
    InitialiseGsf();
    const ScopedQuietGsf quiet;
    QFile opened;
    if (const QString reason = CInputFile::Open(opened, path); !reason.isEmpty())
        return {ReadStatus::CannotOpen, {}, reason};
    // The library reads a file that cannot seek whole into memory; this one is regular.
    std::FILE *handle = ::fdopen(::dup(opened.handle()), "rb");
    if (!handle)
        return {ReadStatus::CannotOpen, {}, qt_error_string(errno)};
    GErrorHolder error;
    GsfPtr<GsfInput> file(gsf_input_stdio_new_FILE(CFileName::ToSystem(path).constData(), handle, FALSE));
    if (!file)
        return {ReadStatus::CannotOpen, {}, error.Message()};
    GsfPtr<GsfInfile> root(gsf_infile_msole_new(file.get(), error.Out()));
    if (!root)
        return {ReadStatus::NotCompoundFile, {}, error.Message()};
    GsfPtr<GsfInput> stream(gsf_infile_child_by_name(root.get(), streamName));
    if (!stream || (GSF_IS_INFILE(stream.get()) && gsf_infile_num_children(GSF_INFILE(stream.get())) >= 0))
        return {ReadStatus::NoSuchStream, {}, {}};

    // The directory entry states the size; a stream can never hold more than the file.
    const gsf_off_t size = gsf_input_size(stream.get());
    if (size < 0 || size > gsf_input_size(file.get()))
        return {ReadStatus::StreamUnreadable, {}, {}};
    QByteArray data(qsizetype(size), Qt::Uninitialized);
    if (size > 0 && !gsf_input_read(stream.get(), size_t(size), reinterpret_cast<guint8 *>(data.data())))
        return {ReadStatus::StreamUnreadable, {}, {}};
    return {ReadStatus::Read, data, {}};
}

QString CCompoundFile::WriteStream(const QString &path, const char *streamName, const QByteArray &data)
{
    InitialiseGsf();
    GsfPtr<GsfOutput> memory(gsf_output_memory_new());
    {
        GsfPtr<GsfOutfile> root(gsf_outfile_msole_new(memory.get()));
        GsfPtr<GsfOutput> stream(gsf_outfile_new_child(root.get(), streamName, FALSE));
        const bool written = stream
            && gsf_output_write(stream.get(), size_t(data.size()), reinterpret_cast<const guint8 *>(data.constData()))
            && gsf_output_close(stream.get());
        if (!written || !gsf_output_close(GSF_OUTPUT(root.get())))
            return QStringLiteral("the compound file could not be built");
    }
    const gsf_off_t size = gsf_output_size(memory.get());
    const auto *bytes = reinterpret_cast<const char *>(gsf_output_memory_get_bytes(GSF_OUTPUT_MEMORY(memory.get())));

    return CReplacingFile::WriteWhole(path, QByteArray(bytes, qsizetype(size)));
}
