#include "ovtesthelpers.h"

#include "ovlib/ovexception.h"

#include <fstream>
#include <iostream>
#include <sstream>
#include <thread>

namespace ovtest {

std::string fixture(const std::string &relativePath)
{
    std::ifstream in(std::string(VELMORA_SOURCE_DIR) + "/tests/ovlib/data/" + relativePath,
                     std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

StderrCapture::StderrCapture()
    : m_previous(std::cerr.rdbuf(this))
{
}

StderrCapture::~StderrCapture()
{
    std::cerr.rdbuf(m_previous);
}

std::string StderrCapture::text() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_text;
}

int StderrCapture::overflow(int c)
{
    if (c != traits_type::eof()) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_text += static_cast<char>(c);
    }
    return c;
}

std::streamsize StderrCapture::xsputn(const char *s, std::streamsize n)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_text.append(s, static_cast<size_t>(n));
    return n;
}

bool waitUntil(const std::function<bool()> &condition, int timeoutMs)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline) {
            return condition();
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

std::string ovError(const std::function<void()> &call)
{
    try {
        call();
    } catch (const ovlib::OvException &e) {
        return std::to_string(e.code()) + ": " + e.what();
    }
    return "no exception";
}

} // namespace ovtest
