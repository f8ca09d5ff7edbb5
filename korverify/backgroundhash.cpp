#include "korverify/backgroundhash.h"

#include <utility>

BackgroundHash::BackgroundHash(wxString path, HashAlgorithm algorithm, FileSide side)
    : m_path(std::move(path)), m_thread([this, algorithm, side] { m_hash = HashFileOnSide(m_path, algorithm, side); })
{
}

BackgroundHash::~BackgroundHash()
{
    if (m_thread.joinable())
        m_thread.join();
}

wxString BackgroundHash::Result()
{
    m_thread.join();
    return std::move(m_hash);
}
