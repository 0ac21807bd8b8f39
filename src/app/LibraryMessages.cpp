#include "app/LibraryMessages.h"

#include <iostream>
#include <jack/jack.h>
#include <mutex>
#include <streambuf>
#include <string>

#include "model/Trace.h"

namespace {

void jackError(const char* text)
{
    TraceLine(1, "JACK: %s", text);
}

void jackInfo(const char* text)
{
    TraceLine(2, "JACK: %s", text);
}

// Collects what is written to it into lines and traces each non-empty one.
// The MIDI clients open on two threads at once, so writes are serialised.
class TraceBuffer : public std::streambuf {
protected:
    int_type overflow(int_type c) override
    {
        if (traits_type::eq_int_type(c, traits_type::eof()))
            return traits_type::not_eof(c);
        const std::lock_guard<std::mutex> lock(mutex);
        put(traits_type::to_char_type(c));
        return c;
    }

    std::streamsize xsputn(const char* s, std::streamsize n) override
    {
        const std::lock_guard<std::mutex> lock(mutex);
        for (std::streamsize i = 0; i < n; ++i)
            put(s[i]);
        return n;
    }

private:
    void put(char c)
    {
        if (c != '\n') {
            line += c;
            return;
        }
        if (!line.empty())
            TraceLine(1, "%s", line.c_str());
        line.clear();
    }

    std::mutex mutex;
    std::string line;
};

} // namespace

void RouteLibraryMessagesToTrace()
{
    jack_set_error_function(jackError);
    jack_set_info_function(jackInfo);
    static TraceBuffer buffer;
    std::cerr.rdbuf(&buffer);
}
