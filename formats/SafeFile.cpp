#include "formats/SafeFile.h"

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
    m_pFile = m_calls.openTemp(target, temp);
    if (!m_pFile)
        return false;
    m_strTarget = target;
    m_strTemp = temp;
    return true;
}

bool CSafeFileWriter::Commit(bool bSync)
{
    if (!m_pFile)
        return false;

    bool ok = !std::ferror(m_pFile);
    ok = std::fflush(m_pFile) == 0 && ok;
    ok = (!bSync || m_calls.syncFile(m_pFile)) && ok;
    ok = std::fclose(m_pFile) == 0 && ok;
    m_pFile = nullptr;

    ok = ok && m_calls.replaceFile(m_strTemp, m_strTarget, bSync);
    if (!ok)
        m_calls.removeFile(m_strTemp);
    m_strTarget.clear();
    m_strTemp.clear();
    return ok;
}

void CSafeFileWriter::Abandon()
{
    if (!m_pFile)
        return;
    std::fclose(m_pFile);
    m_pFile = nullptr;
    m_calls.removeFile(m_strTemp);
    m_strTarget.clear();
    m_strTemp.clear();
}
