// The station list file and the write-back of a found address. The first byte picks the station
// without an address that is found. A write-back adds one run of bytes and keeps every other
// byte; the file then reads as before, with that station's address.
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_check.h"
#include "radio/station_list.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace sonorin;
    if (size < 1)
        return 0;
    const std::string file(reinterpret_cast<const char*>(data + 1), size - 1);
    const std::vector<radio::StationEntry> before = radio::readStationList(file);
    radio::readStationList(radio::writeStationList(before));

    std::vector<std::size_t> addressless;
    for (std::size_t i = 0; i < before.size(); ++i) {
        if (before[i].address.empty())
            addressless.push_back(i);
    }
    if (addressless.empty())
        return 0;
    const std::size_t chosen = addressless[data[0] % addressless.size()];
    const std::string address = "http://dir.example/found.mp3";
    std::string after = file;
    const auto result = radio::addStationAddress(after, before[chosen].name, address);
    if (result != radio::AddressWriteBack::Written) {
        FUZZ_CHECK(after == file, fuzz::escaped(file));
        return 0;
    }
    std::size_t prefix = 0;
    while (prefix < file.size() && file[prefix] == after[prefix])
        ++prefix;
    FUZZ_CHECK(after.size() > file.size() && after.compare(after.size() - (file.size() - prefix),
                                                           std::string::npos, file, prefix) == 0,
               fuzz::escaped(file) + " became " + fuzz::escaped(after));
    std::vector<radio::StationEntry> expected = before;
    // The first station of that name without an address is the one that gets it.
    for (radio::StationEntry& s : expected) {
        if (s.name == before[chosen].name && s.address.empty()) {
            s.address = address;
            break;
        }
    }
    const std::vector<radio::StationEntry> reread = radio::readStationList(after);
    FUZZ_CHECK(reread == expected, fuzz::escaped(file) + " became " + fuzz::escaped(after));
    return 0;
}
