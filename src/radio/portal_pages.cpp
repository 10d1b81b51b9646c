#include "radio/portal_pages.h"

#include <cstdio>

#include "base/text.h"

namespace sonorin::radio {
namespace {

constexpr const char* kStyle =
    "body{font-family:\"Microsoft YaHei\",\"WenQuanYi Micro Hei\",SimSun,sans-serif;"
    "margin:0;padding:12px 18px;color:#1d3557;background:#f4f8fc}"
    "h1{font-size:20px;margin:4px 0 10px;color:#0b4f8a}"
    "h2{font-size:15px;margin:14px 0 6px;padding-bottom:3px;border-bottom:1px solid #9cc3e6}"
    "ul{list-style:none;margin:0;padding:0}"
    "li{display:inline-block;margin:3px 6px 3px 0}"
    "a{color:#0b5cad;text-decoration:none}"
    "ul a{display:inline-block;padding:4px 10px;border:1px solid #9cc3e6;background:#fff}"
    "ul a:hover{background:#ddeeff}"
    ".now{padding:8px 10px;border:1px solid #9cc3e6;background:#fff}"
    ".now iframe{display:block;width:100%;height:1.6em;border:0}"
    ".failed{color:#a4262c}"
    "body.frame{padding:0;background:#fff;white-space:nowrap;overflow:hidden}"
    "table{border-collapse:collapse;background:#fff}"
    "th,td{border:1px solid #9cc3e6;padding:4px 12px;text-align:left}"
    "th{background:#ddeeff}"
    "pre{background:#fff;border:1px solid #9cc3e6;padding:8px}"
    "ul.titles li{display:block}";

std::string pageStart(const std::string& title, const std::string& extraHead = {},
                      const std::string& bodyClass = {}) {
    return "<!DOCTYPE html>\n<html lang=\"zh-CN\"><head><meta charset=\"utf-8\">"
           "<meta http-equiv=\"X-UA-Compatible\" content=\"IE=edge\">" +
           extraHead + "<title>" + escapeHtml(title) + "</title><style>" + kStyle +
           "</style></head>\n<body" + (bodyClass.empty() ? "" : " class=\"" + bodyClass + "\"") +
           ">\n";
}

// What plays now, in one line. A station that failed is not said to be listened to.
std::string nowLine(const std::string& token, const NowPlaying& now) {
    if (now.station.empty())
        return "现在没有收听电台。点一下电台的名字就开始收听。";
    const bool failed = now.state == PlayerState::Failed;
    std::string line = failed ? "<span class=\"failed\">未能收听：" : "正在收听：";
    line += "<b>" + escapeHtml(now.station) + "</b>";
    if (!now.status.empty())
        line += " · " + escapeHtml(now.status);
    if (failed)
        line += "</span>";
    if (now.state == PlayerState::Playing && !now.title.empty())
        line += " · " + escapeHtml(now.title);
    // The stop answers "no content": the page it is clicked in stays where it is.
    return line + " &nbsp; <a href=\"/stop?token=" + escapeHtml(token) + "\">停止收听</a>";
}

constexpr const char* kPageEnd = "</body></html>\n";

// Only web addresses become links: a "javascript:" site from an edited list stays text.
bool isWebAddress(const std::string& address) {
    return address.rfind("http://", 0) == 0 || address.rfind("https://", 0) == 0;
}

const StationEntry* stationNamed(const std::vector<StationEntry>& stations,
                                 const std::string& name) {
    for (const StationEntry& s : stations) {
        if (s.name == name)
            return &s;
    }
    return nullptr;
}

}  // namespace

std::vector<PlanRow> readPlanRows(std::string_view gbkBytes) {
    const std::string text = gbkToUtf8(gbkBytes);
    std::vector<PlanRow> rows;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty())
            continue;
        PlanRow row;
        std::string* fields[] = {&row.begin, &row.end, &row.station};
        std::size_t from = 0;
        for (std::string* field : fields) {
            const std::size_t tab = line.find('\t', from);
            *field = line.substr(from, tab == std::string::npos ? std::string::npos : tab - from);
            if (tab == std::string::npos)
                break;
            from = tab + 1;
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

std::string escapeHtml(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            case '\'':
                out += "&#39;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

std::string stationPage(const std::vector<StationEntry>& stations, const std::string& token,
                        const NowPlaying& now) {
    std::string page = pageStart("星澜网络收音机 - 电台");
    // A browser shows the frame, which reloads itself, and not its contents; the program's
    // stand-in pane, which has no frames, shows the contents and reads the page again itself.
    // Only the frame reloads, so the list below does not flicker.
    page += "<h1>星澜网络收音机 · 电台与资讯</h1>\n<div class=\"now\"><iframe src=\"" +
            std::string(kNowPath) + "\" title=\"正在收听\" scrolling=\"no\">" +
            nowLine(token, now) + "</iframe></div>\n";
    bool open = false;
    std::string group;
    for (std::size_t i = 0; i < stations.size(); ++i) {
        const StationEntry& s = stations[i];
        const std::string heading = s.group.empty() ? "电台" : s.group;
        if (!open || heading != group) {
            if (open)
                page += "</ul>\n";
            page += "<h2>" + escapeHtml(heading) + "</h2>\n<ul>\n";
            group = heading;
            open = true;
        }
        const bool current = !now.station.empty() && s.name == now.station;
        page += "<li><a href=\"/play?station=" + std::to_string(i) +
                "&amp;token=" + escapeHtml(token) + "\"" +
                (current ? " aria-current=\"true\"" : "") + ">" + escapeHtml(s.name) +
                "</a></li>\n";
    }
    if (open)
        page += "</ul>\n";
    else
        page += "<p>电台列表是空的。</p>\n";
    return page + kPageEnd;
}

std::string nowPage(const std::string& token, const NowPlaying& now) {
    return pageStart("星澜网络收音机 - 正在收听", "<meta http-equiv=\"refresh\" content=\"1\">",
                     "frame") +
           nowLine(token, now) + "\n" + kPageEnd;
}

std::string programmePage(const std::vector<PlanRow>& plans,
                          const std::vector<StationEntry>& stations) {
    std::string page = pageStart("星澜网络收音机 - 节目时间表");
    page += "<h1>节目时间表</h1>\n<h2>收听计划</h2>\n";
    if (plans.empty()) {
        page += "<p>还没有收听计划。在“计划(P)”菜单的“定时收听”里可以添加。</p>\n";
    } else {
        page +=
            "<table>\n<tr><th>开始时间</th><th>结束时间</th><th>电台名称</th>"
            "<th>电台网站</th></tr>\n";
        for (const PlanRow& plan : plans) {
            page += "<tr><td>" + escapeHtml(plan.begin) + "</td><td>" + escapeHtml(plan.end) +
                    "</td><td>" + escapeHtml(plan.station) + "</td><td>";
            const StationEntry* s = stationNamed(stations, plan.station);
            if (s && isWebAddress(s->website))
                page +=
                    "<a href=\"" + escapeHtml(s->website) + "\">" + escapeHtml(s->website) + "</a>";
            page += "</td></tr>\n";
        }
        page += "</table>\n";
    }
    std::string sites;
    for (const StationEntry& s : stations) {
        if (isWebAddress(s.website))
            sites += "<li>" + escapeHtml(s.name) + "：<a href=\"" + escapeHtml(s.website) + "\">" +
                     escapeHtml(s.website) + "</a></li>\n";
    }
    if (!sites.empty())
        page += "<h2>电台网站</h2>\n<ul>\n" + sites + "</ul>\n";
    return page + kPageEnd;
}

std::string titlesPage(const std::deque<HeardTitle>& titles, const std::string& token,
                       const DateTime& today) {
    std::string page = pageStart("星澜网络收音机 - 最近播放");
    page += "<h1>最近播放</h1>\n<ul>\n<li><a href=\"/radio\">返回电台</a></li>\n";
    if (!titles.empty())
        page += "<li><a href=\"" + std::string(kClearTitlesPath) + "?token=" + escapeHtml(token) +
                "\">清空列表</a></li>\n";
    page += "</ul>\n";
    if (titles.empty()) {
        page +=
            "<p>还没有听到过歌名。电台播出的歌名和节目名会记在这里，点一下就在网上搜索它。</p>\n";
        return page + kPageEnd;
    }
    page += "<p>点一下歌名，就在浏览器里搜索它。</p>\n";
    std::string day;
    for (auto it = titles.rbegin(); it != titles.rend(); ++it) {
        char thisDay[32];
        std::snprintf(thisDay, sizeof thisDay, "%04d-%02d-%02d", it->at.year, it->at.month,
                      it->at.day);
        if (day != thisDay) {
            if (!day.empty())
                page += "</ul>\n";
            const bool isToday =
                it->at.year == today.year && it->at.month == today.month && it->at.day == today.day;
            page +=
                "<h2>" + std::string(isToday ? "今天" : thisDay) + "</h2>\n<ul class=\"titles\">\n";
            day = thisDay;
        }
        char time[16];
        std::snprintf(time, sizeof time, "%02d:%02d", it->at.hour, it->at.minute);
        // The title travels in the address: a later title must not shift which one is meant.
        page += "<li><a href=\"" + std::string(kSearchTitlePath) +
                "?title=" + escapeHtml(percentEncode(it->title)) +
                "&amp;token=" + escapeHtml(token) + "\">" + time + " · " + escapeHtml(it->station) +
                " · " + escapeHtml(it->title) + "</a></li>\n";
    }
    page += "</ul>\n";
    return page + kPageEnd;
}

std::string homePage(bool titlesLink) {
    std::string page = pageStart("星澜网络收音机网页版");
    page +=
        "<h1>星澜网络收音机网页版</h1>\n"
        "<ul>\n<li><a href=\"/radio\">电台</a></li>\n"
        "<li><a href=\"/guangbo/\">节目时间表</a></li>\n";
    if (titlesLink)
        page += "<li><a href=\"" + std::string(kTitlesPath) + "\">最近播放</a></li>\n";
    page +=
        "</ul>\n"
        "<h2>如何添加电台</h2>\n"
        "<p>电台列表是程序文件夹里的 stations.m3u 文件（UTF-8 编码的扩展 M3U 格式，"
        "其他播放器也能导入导出）。用记事本打开，每个电台写两行：第一行是"
        " #EXTINF:-1, 加电台名称，第二行是电台的播放地址。没有地址的电台，"
        "程序会按名称在电台目录里查找。group-title 决定电台在电台页里的分组，"
        "website 是电台自己的网站。保存后重新启动程序即可。</p>\n"
        "<pre>#EXTM3U\n"
        "#EXTINF:-1 group-title=\"新闻资讯\" website=\"http://www.example.com/\",我的电台\n"
        "http://www.example.com/live.mp3</pre>\n";
    return page + kPageEnd;
}

}  // namespace sonorin::radio
