#include "schedule/plan_file.h"

#include "base/app_title.h"
#include "base/text.h"
#include "services/filesystem.h"
#include "services/prompts.h"

namespace sonorin {

std::string planFilePath(const std::string& programFolder) {
    return programFolder + "\\" + kPlanFileName;
}

std::vector<ListeningPlan> parsePlanFile(std::string_view bytes) {
    std::vector<ListeningPlan> plans;
    std::size_t at = 0;
    while (at < bytes.size()) {
        std::size_t end = bytes.find_first_of("\r\n", at);
        if (end == std::string_view::npos)
            end = bytes.size();
        const std::string_view line = bytes.substr(at, end - at);
        at = end;
        if (at < bytes.size())
            at += (bytes[at] == '\r' && at + 1 < bytes.size() && bytes[at + 1] == '\n') ? 2 : 1;
        if (line.empty())
            continue;
        // GBK trail bytes are 0x40 and above, so a TAB byte is always a TAB.
        std::string fields[3];
        std::size_t start = 0;
        for (int i = 0; i < 3 && start <= line.size(); ++i) {
            std::size_t tab = line.find('\t', start);
            if (tab == std::string_view::npos)
                tab = line.size();
            fields[i] = gbkToUtf8(line.substr(start, tab - start));
            start = tab + 1;
        }
        plans.push_back({fields[0], fields[1], fields[2]});
    }
    return plans;
}

std::string formatPlanFile(const std::vector<ListeningPlan>& plans) {
    std::string bytes;
    for (const ListeningPlan& p : plans)
        bytes += utf8ToGbk(p.BeginTime + "\t" + p.EndTime + "\t" + p.Station) + "\r\n";
    return bytes;
}

std::vector<ListeningPlan> readPlanFile(FileSystem& files, const std::string& programFolder) {
    const auto bytes = files.readFile(planFilePath(programFolder));
    return bytes ? parsePlanFile(*bytes) : std::vector<ListeningPlan>{};
}

bool writePlanFile(FileSystem& files, Prompts& prompts, const std::string& programFolder,
                   const std::vector<ListeningPlan>& plans) {
    const std::string path = planFilePath(programFolder);
    const std::string temporary = path + ".tmp";
    if (files.writeFile(temporary, formatPlanFile(plans)) && files.replaceFile(temporary, path))
        return true;
    files.deleteFile(temporary);
    prompts.messageBox("收听计划无法保存到“" + path + "”，该文件保持原样。", kAppTitle,
                       MsgButtons::Ok, MsgIcon::Exclamation);
    return false;
}

}  // namespace sonorin
