// The station list file: what other players write, what editors leave behind, and what we
// write back.
#include "radio/station_list.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "base/text.h"

namespace sonorin::radio {
namespace {

TEST(StationList, WrittenListReadsBackTheSame) {
    const std::vector<StationEntry> stations = {
        {"中文环球", "http://127.0.0.1:8000/stream.mp3", "新闻资讯", "http://example.net/"},
        {"北京故事", "", "小说故事", ""},
        {"CRI新闻", "https://example.org/cri.aac", "", ""},
        {"无分组无地址", "", "", ""},
    };
    const std::string bytes = writeStationList(stations);
    EXPECT_EQ(bytes.substr(0, 9), "#EXTM3U\r\n");
    EXPECT_NE(bytes.find("#EXTINF:-1 group-title=\"新闻资讯\" website=\"http://example.net/\","
                         "中文环球\r\nhttp://127.0.0.1:8000/stream.mp3\r\n"),
              std::string::npos)
        << bytes;
    EXPECT_NE(bytes.find("#EXTINF:-1 group-title=\"小说故事\",北京故事\r\n#EXTINF:-1,CRI新闻"),
              std::string::npos)
        << bytes;
    EXPECT_EQ(readStationList(bytes), stations);
}

TEST(StationList, ReadsWhatOtherPlayersAndEditorsWrite) {
    const std::string file =
        "\xEF\xBB\xBF#EXTM3U\n"
        "# a comment line\n"
        "\n"
        "#EXTINF:-1 tvg-logo=\"x.png\" group-title=\"音乐, 流行\",都市流行\r\n"
        "#EXTVLCOPT:network-caching=1000\r\n"
        "http://a.example/pop\r\n"
        "   \r\n"
        "#EXTGRP:戏曲\n"
        "#EXTINF:123,北京戏曲\n"
        "http://a.example/xiqu\n"
        "http://a.example/bare.mp3\n"
        "#extinf:-1, 带空格的名字  \n"
        "mms://a.example/live";
    const std::vector<StationEntry> expected = {
        {"都市流行", "http://a.example/pop", "音乐, 流行", ""},
        {"北京戏曲", "http://a.example/xiqu", "戏曲", ""},
        {"http://a.example/bare.mp3", "http://a.example/bare.mp3", "", ""},
        {"带空格的名字", "mms://a.example/live", "", ""},
    };
    EXPECT_EQ(readStationList(file), expected);
}

TEST(StationList, MalformedLinesAreSkippedAndTheRestIsKept) {
    const std::string file =
        "#EXTM3U\n"
        "#EXTINF:-1 group-title=\"unterminated,名字\n"  // no closing quote: names nothing
        "这不是地址\n"                                  // neither a directive nor an address
        "http://has blanks/in it\n"
        "://no-scheme\n"
        "#EXTINF:-1 no comma at all\n"
        "#EXTINF:-1,\n"  // an empty name: the address names the entry
        "http://a.example/one\n"
        "#EXTINF:-1,无地址\n"
        "#EXTINF:-1,有地址\n"
        "http://a.example/two\n"
        "\x01\x02garbage\n";
    const std::vector<StationEntry> expected = {
        {"http://a.example/one", "http://a.example/one", "", ""},
        {"无地址", "", "", ""},
        {"有地址", "http://a.example/two", "", ""},
    };
    EXPECT_EQ(readStationList(file), expected);
    EXPECT_TRUE(readStationList("").empty());
    EXPECT_TRUE(readStationList(std::string(1000, '\0')).empty());
}

TEST(StationList, AFileInTheAnsiCodePageIsReadAsGbk) {
    const std::string gbk = utf8ToGbk("#EXTM3U\r\n#EXTINF:-1,北京新闻\r\nhttp://a.example/bj\r\n");
    ASSERT_NE(gbk, gbkToUtf8(gbk));  // really not UTF-8
    const auto stations = readStationList(gbk);
    ASSERT_EQ(stations.size(), 1u);
    EXPECT_EQ(stations[0].name, "北京新闻");
    // Bytes that are neither become U+FFFD and the entry survives.
    const auto broken = readStationList("#EXTINF:-1,\xFF\xFE台\nhttp://a.example/x\n");
    ASSERT_EQ(broken.size(), 1u);
    EXPECT_EQ(broken[0].address, "http://a.example/x");
}

TEST(StationList, WriterKeepsEachEntryOnItsLines) {
    const std::vector<StationEntry> stations = {
        {"名字\r\n#EXTINF:-1,假的", "http://a.example/x\nhttp://evil", "组\"名", "bad site"},
        {"", "http://a.example/nameless", "", ""},
    };
    const auto back = readStationList(writeStationList(stations));
    ASSERT_EQ(back.size(), 1u);
    EXPECT_EQ(back[0].name, "名字  #EXTINF:-1,假的");
    EXPECT_EQ(back[0].address, "");  // an address with a blank in it is not one
    EXPECT_EQ(back[0].group, "组名");
}

// Adds the address and checks that the file is byte for byte the old one with `line` at `at`.
void expectOneLineAdded(const std::string& before, const char* name, std::size_t at,
                        const std::string& line) {
    std::string after = before;
    ASSERT_EQ(addStationAddress(after, name, "http://dir.example/x"), AddressWriteBack::Written)
        << name;
    EXPECT_EQ(after, before.substr(0, at) + line + before.substr(at)) << name;
}

TEST(StationList, AFoundAddressChangesOnlyItsEntry) {
    const std::string head =
        "\xEF\xBB\xBF#EXTM3U x-tvg-url=\"a\"\n"
        "# 我的电台\r\n"
        "#EXTINF:-1 tvg-logo=\"logo.png\" group-title=\"本地\",本地文件\n"
        "C:\\Music\\本地.mp3\n"
        "#EXTINF:-1,相对地址\n"
        "stream/live.mp3\n"
        "#EXTINF:-1 tvg-logo=\"cri.png\" group-title=\"新闻\",中文环球\r\n";
    const std::string tail =
        "#EXTVLCOPT:network-caching=1000\r\n"
        "#EXTINF:-1,中文环球\n"  // the same name again: only the first gets it
        "#EXTINF:-1,最后一个";
    const std::string file = head + tail;
    expectOneLineAdded(file, "中文环球", head.size(), "http://dir.example/x\r\n");
    // The last line has no ending, and the file keeps having none; LF is the file's first ending.
    expectOneLineAdded(file, "最后一个", file.size(), "\nhttp://dir.example/x");

    // Entries with a location of their own, names not in the file, and an entry that has its
    // address already leave the file as it is.
    std::string same = file;
    for (const char* name : {"本地文件", "相对地址", "没有这个台"})
        EXPECT_EQ(addStationAddress(same, name, "http://dir.example/x"), AddressWriteBack::NoEntry);
    ASSERT_EQ(addStationAddress(same, "中文环球", "http://dir.example/x"),
              AddressWriteBack::Written);
    ASSERT_EQ(addStationAddress(same, "中文环球", "http://dir.example/y"),
              AddressWriteBack::Written);
    const std::string twice = same;
    EXPECT_EQ(addStationAddress(same, "中文环球", "http://dir.example/z"),
              AddressWriteBack::NoEntry);
    EXPECT_EQ(addStationAddress(same, "最后一个", "http://a b"), AddressWriteBack::CannotWrite);
    EXPECT_EQ(same, twice);

    // A file in the ANSI code page takes what that code page can hold, and nothing else.
    const std::string gbk = utf8ToGbk("#EXTINF:-1,北京新闻\r\n#EXTINF:-1,天津\r\n");
    expectOneLineAdded(gbk, "天津", gbk.size(), "http://dir.example/x\r\n");
    std::string kept = gbk;
    EXPECT_EQ(addStationAddress(kept, "北京新闻", "http://dir.example/\xF0\x9F\x8E\xB5"),
              AddressWriteBack::CannotWrite);
    EXPECT_EQ(kept, gbk);
}

TEST(StationList, DefaultListHoldsBothListsEachNameOnce) {
    const auto stations = defaultStationList();
    ASSERT_EQ(stations.size(), 39u);  // 35 distinct names of the plan window, 4 new of the editor
    EXPECT_EQ(stations.front().name, "环球资讯");
    EXPECT_EQ(stations[1].name, "中文环球");
    EXPECT_EQ(stations[33].name, "北京故事");
    EXPECT_EQ(stations[34].name, "苏州故事");
    const std::vector<std::string> editorOnly = {"外语教学", "怀旧金曲", "中国之声", "经济之声"};
    for (std::size_t i = 0; i < editorOnly.size(); ++i)
        EXPECT_EQ(stations[35 + i].name, editorOnly[i]);
    for (const StationEntry& s : stations) {
        EXPECT_TRUE(s.address.empty()) << s.name;
        EXPECT_FALSE(s.group.empty()) << s.name;
    }
    EXPECT_EQ(readStationList(writeStationList(stations)), stations);

    // The list shipped beside the program is this one, byte for byte.
    std::ifstream shipped(SONORIN_SOURCE_DIR "/res/stations.m3u", std::ios::binary);
    ASSERT_TRUE(shipped);
    const std::string bytes{std::istreambuf_iterator<char>(shipped), {}};
    EXPECT_EQ(bytes, writeStationList(stations));
}

}  // namespace
}  // namespace sonorin::radio
