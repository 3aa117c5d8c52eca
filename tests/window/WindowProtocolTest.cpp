// The records between zvx7246ctl --window and the window: any text survives,
// however the stream cuts it, and a stream that is not ours is refused.

#include "app/WindowProtocol.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zvx {
namespace {

TEST(WindowProtocol, RecordsSurviveAnyTextAndAnyCut)
{
    const std::vector<WindowRecord> sent = {
        {"out", "U1: written; PLL locked, DPA locked\n"},
        {"err", std::string("line\nbreaks, a NUL \0 and 10 digits 0123456789\n", 44)},
        {"status", "1"},
        {"out", ""},
        {"run", encodeRunPayload(7, {"apply", "my setup.zvx", "U1"})},
    };
    std::string stream;
    for (const WindowRecord& r : sent)
        stream += encodeWindowRecord(r.name, r.payload);
    // Whole, and one byte at a time.
    for (std::size_t chunk : {stream.size(), std::size_t(1), std::size_t(5)}) {
        WindowRecordReader reader;
        std::string again;  // what came out, sent again
        for (std::size_t at = 0; at < stream.size(); at += chunk) {
            reader.feed(std::string_view(stream).substr(at, chunk));
            while (auto r = reader.next())
                again += encodeWindowRecord(r->name, r->payload);
        }
        EXPECT_EQ(again, stream) << "chunk " << chunk;
        EXPECT_FALSE(reader.pending());
    }
    const auto run = decodeRunPayload(sent[4].payload);
    ASSERT_TRUE(run);
    EXPECT_EQ(run->lineNumber, 7);
    EXPECT_EQ(run->words, (std::vector<std::string>{"apply", "my setup.zvx", "U1"}));
}

TEST(WindowProtocol, ForeignStreamsAndPayloadsAreRefused)
{
    struct Row {
        const char* what;
        std::string bytes;
    };
    const Row rows[] = {
        {"HTTP", "GET / HTTP/1.1\r\nHost: x\r\n\r\n"},
        {"upper-case name", "OUT 3\nabc"},
        {"no length", "out\nabc"},
        {"length not a number", "out 3x\nabc"},
        {"length beyond the limit", "out 99999999999\n"},
        {"endless header", std::string(200, 'a')},
    };
    for (const Row& row : rows) {
        WindowRecordReader reader;
        reader.feed(row.bytes);
        EXPECT_FALSE(reader.next()) << row.what;
        EXPECT_FALSE(reader.error().empty()) << row.what;
    }
    EXPECT_FALSE(decodeRunPayload("7"));                 // no command
    EXPECT_FALSE(decodeRunPayload(std::string("x\0write", 7)));
    EXPECT_FALSE(decodeHello("zvx7246labTool"));  // a good one: every WindowProcessTest run
}

} // namespace
} // namespace zvx
