// The listening plans on disk: "RadioTime.ini" beside the executable, one plan a line, the
// three fields separated by TAB, every line ended by CR LF, text in code page 936 (GBK). The
// fields are kept exactly as they stand: nothing is trimmed, checked or converted.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace sonorin {

class FileSystem;
class Prompts;

// One plan: times of day in the plan time form ("8:05:00"), EndTime may be "不确定".
struct ListeningPlan {
    std::string BeginTime;
    std::string EndTime;
    std::string Station;

    friend bool operator==(const ListeningPlan&, const ListeningPlan&) = default;
};

inline constexpr const char* kPlanFileName = "RadioTime.ini";
inline constexpr const char* kNoEndTime = "不确定";

std::string planFilePath(const std::string& programFolder);

// The plans of a file's bytes: a line ends at CR LF (a lone CR or LF also ends one); an empty
// line gives no plan; pieces after the third are dropped, missing ones are empty.
std::vector<ListeningPlan> parsePlanFile(std::string_view bytes);
// The bytes of a file holding these plans; no plans give no bytes.
std::string formatPlanFile(const std::vector<ListeningPlan>& plans);

// The plans of the program's plan file; a file that cannot be read holds none.
std::vector<ListeningPlan> readPlanFile(FileSystem& files, const std::string& programFolder);

// Writes the plans into a temporary file beside the plan file and only then moves it over the
// old one, so a save that fails half-way (a full disk, a killed program) never costs the plans
// already saved. A failed save leaves the old file as it was and tells the user where the plans
// could not be written. True when saved.
bool writePlanFile(FileSystem& files, Prompts& prompts, const std::string& programFolder,
                   const std::vector<ListeningPlan>& plans);

}  // namespace sonorin
