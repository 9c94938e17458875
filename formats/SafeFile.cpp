#include "formats/SafeFile.h"

#include <atomic>
#include <cerrno>

namespace {

// The temporary files that a signal's handler removes: a fixed table of
// names, which a handler can walk at any moment. A writer registers a name
// once it holds it and takes it out once the file is gone or in place.
constexpr std::size_t kTemporarySlots = 64;
std::atomic<const char*> g_temporaries[kTemporarySlots];
static_assert(std::atomic<const char*>::is_always_lock_free);

void RegisterTemporary(const std::string& path)
{
    // A run has a few outputs; a table full of them leaves this one out.
    for (std::atomic<const char*>& slot : g_temporaries) {
        const char* empty = nullptr;
        if (slot.compare_exchange_strong(empty, path.c_str()))
            return;
    }
}

void UnregisterTemporary(const std::string& path)
{
    for (std::atomic<const char*>& slot : g_temporaries) {
        const char* held = path.c_str();
        if (slot.compare_exchange_strong(held, nullptr))
            return;
    }
}

}  // namespace

void RemoveTemporaryFiles()
{
    for (std::atomic<const char*>& slot : g_temporaries)
        if (const char* path = slot.load())
            RemoveFileInHandler(path);
}

CSafeFileWriter::~CSafeFileWriter()
{
    Abandon();
}

bool CSafeFileWriter::Open(const std::string& targetPath)
{
    Abandon();
    std::string target;
    std::string temp;
    if (!m_calls.resolveTarget(targetPath, target))
        return false;
    errno = 0;
    if (FILE* device = m_calls.openDevice(target)) {
        m_pFile = device;
        m_bDirect = true;
        m_strTarget = target;
        return true;
    }
    if (errno != 0)
        return false;
    m_pFile = m_calls.openTemp(target, temp);
    if (!m_pFile)
        return false;
    m_strTarget = target;
    m_strTemp = temp;
    RegisterTemporary(m_strTemp);
    return true;
}

bool CSafeFileWriter::Finish(bool bSync)
{
    if (!m_pFile)
        return false;

    // The first step that fails gives the reason; a write that failed
    // before, unseen by the flush, an input/output error.
    bool ok = !std::ferror(m_pFile);
    int reason = ok ? 0 : EIO;
    const auto step = [&](bool done) {
        if (!done && ok) {
            ok = false;
            reason = errno;
        }
    };
    step(std::fflush(m_pFile) == 0);
    step(m_bDirect || !bSync || m_calls.syncFile(m_pFile));
    step(std::fclose(m_pFile) == 0);
    m_pFile = nullptr;
    m_bFinished = true;
    if (!ok) {
        Abandon();
        errno = reason;
    }
    return ok;
}

bool CSafeFileWriter::PutInPlace(bool bSync)
{
    if (!m_bFinished || m_pFile)
        return false;
    const bool ok = m_bDirect || m_calls.replaceFile(m_strTemp, m_strTarget, bSync);
    if (!ok) {
        const int reason = errno;
        m_calls.removeFile(m_strTemp);
        errno = reason;
    }
    Close();
    return ok;
}

void CSafeFileWriter::Abandon()
{
    if (!m_pFile && !m_bFinished)
        return;
    if (m_pFile)
        std::fclose(m_pFile);
    m_pFile = nullptr;
    if (!m_bDirect)
        m_calls.removeFile(m_strTemp);
    Close();
}

void CSafeFileWriter::Close()
{
    if (!m_strTemp.empty())
        UnregisterTemporary(m_strTemp);
    m_bFinished = false;
    m_strTarget.clear();
    m_strTemp.clear();
}

FILE* CSafeFileSet::Open(const std::string& targetPath)
{
    m_writers.push_back(std::make_unique<CSafeFileWriter>(m_calls));
    return m_writers.back()->Open(targetPath) ? m_writers.back()->stream() : nullptr;
}

bool CSafeFileSet::Commit(bool bSync, std::size_t& failed)
{
    const std::size_t n = m_writers.size();
    for (std::size_t i = 0; i < n; ++i) {
        if (!m_writers[i]->Finish(bSync)) {
            const int reason = errno;
            Abandon();
            failed = i;
            errno = reason;
            return false;
        }
    }

    // In place one after the other; every one but the last keeps its old
    // file until all are in place. Sized once: the names stay where they are.
    std::vector<std::string> targets(n);
    std::vector<std::string> kept(n);
    std::size_t done = 0;
    bool ok = true;
    for (; done < n && ok; ++done) {
        CSafeFileWriter& w = *m_writers[done];
        targets[done] = w.target();
        if (done + 1 < n && !w.direct()) {
            ok = m_calls.keepOld(targets[done], kept[done]);
            if (!kept[done].empty())
                RegisterTemporary(kept[done]);
        }
        ok = ok && w.PutInPlace(bSync);
    }

    const int reason = errno;
    for (std::size_t i = 0; i < done; ++i) {
        if (!kept[i].empty())
            UnregisterTemporary(kept[i]);
        const bool putBack = !ok && i + 1 < done && !m_writers[i]->direct();
        if (!putBack) {
            if (!kept[i].empty())
                m_calls.removeFile(kept[i]);
        } else if (kept[i].empty()) {
            m_calls.removeFile(targets[i]);  // there was no file
        } else {
            // Should the old file not go back, it stays under its temporary
            // name rather than be lost.
            m_calls.replaceFile(kept[i], targets[i], bSync);
        }
    }
    Abandon();
    if (!ok) {
        failed = done - 1;
        errno = reason;
    }
    return ok;
}

void CSafeFileSet::Abandon()
{
    m_writers.clear();
}
