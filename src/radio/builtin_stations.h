// The stations the program offers before the user has a list of their own: the choices of the
// plan window and of the plan editor. The station list written at the first start is made from
// these (res/stations.m3u is that list as shipped).
#pragma once

#include <array>
#include <string_view>

namespace sonorin::radio {

struct BuiltinStation {
    std::string_view name;
    // The heading the station stands under on the station page.
    std::string_view group;
};

// The plan window's list, in its order ("北京故事" is offered twice, as it always was).
inline constexpr std::array<BuiltinStation, 36> kPlanWindowStations = {{
    {"环球资讯", "新闻资讯"}, {"中文环球", "新闻资讯"}, {"北京新闻", "新闻资讯"},
    {"天津新闻", "新闻资讯"}, {"安徽新闻", "新闻资讯"}, {"北京城市广播", "新闻资讯"},
    {"天津经济", "财经"},     {"安徽经济", "财经"},     {"汕头经济", "财经"},
    {"北京教学", "教育外语"}, {"北京外语", "教育外语"}, {"CRI环球", "国际广播"},
    {"CRI新闻", "国际广播"},  {"英国BBC", "国际广播"},  {"美国之音", "国际广播"},
    {"CRI调频", "国际广播"},  {"台东教育", "专业频道"}, {"北京体育广播", "专业频道"},
    {"CRI怀旧金曲", "音乐"},  {"都市流行", "音乐"},     {"北京音乐", "音乐"},
    {"北京通俗", "音乐"},     {"古典音乐", "音乐"},     {"北京欢乐时光", "音乐"},
    {"猫扑电台", "音乐"},     {"天津相声", "戏曲相声"}, {"北京戏曲", "戏曲相声"},
    {"安徽戏曲", "戏曲相声"}, {"陕西戏曲", "戏曲相声"}, {"北京长书", "小说故事"},
    {"天津小说", "小说故事"}, {"安徽小说", "小说故事"}, {"唐山小说", "小说故事"},
    {"北京故事", "小说故事"}, {"北京故事", "小说故事"}, {"苏州故事", "小说故事"},
}};

// The plan editor's list, in its order; the names the plan window lacks stand under this
// heading on the station page.
inline constexpr std::array<std::string_view, 11> kPlanEditorStations = {
    "中文环球", "外语教学", "CRI新闻",  "中文环球", "环球资讯", "猫扑电台",
    "都市流行", "怀旧金曲", "中文环球", "中国之声", "经济之声",
};
inline constexpr std::string_view kPlanEditorGroup = "更多电台";

// The station the main window's auto-listen tunes to.
inline constexpr std::string_view kAutoListenStation = "中文环球";

}  // namespace sonorin::radio
