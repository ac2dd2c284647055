#include "app/layout.h"

#include <string>

#include "config/addresses.h"

namespace app {

namespace {

constexpr int red = 0xFF0000;
constexpr int blue = 0x0000FF;
constexpr int white = 0xFFFFFF;
constexpr int black = 0x000000;
constexpr int orange = 0xC06000;    // RGB(192,96,0)
constexpr int dark_red = 0x800000;  // RGB(128,0,0)

const char* forum_caption() {
    static const std::string* caption = new std::string(std::string("论坛:") + addresses::forum_host);
    return caption->c_str();
}

std::vector<ControlRow> build() {
    using K = Kind;
    return {
        // The strip and the tab control.
        {"图形播放1", K::picture_button, on_window, 1, 0, 81, 68, "", plain, hand_cursor, "nav_play"},
        {"图形搜索2", K::picture_button, on_window, 82, 0, 81, 68, "", plain, hand_cursor, "nav_search"},
        {"图形电视3", K::picture_button, on_window, 163, 0, 81, 68, "", plain, hand_cursor, "nav_tv"},
        {"图形影库4", K::picture_button, on_window, 243, 0, 81, 68, "", plain, hand_cursor, "nav_library"},
        {"图形vip5", K::picture_button, on_window, 320, 0, 81, 68, "", plain, hand_cursor, "nav_vip"},
        {"透明标签版本号", K::transparent_label, on_window, 840, 2, 56, 22, "v3.3.6", song_bold(16, orange)},
        {"透明标签最小化", K::transparent_label, on_window, 904, 0, 20, 24, "-", song_bold(16, white),
         hand_cursor},
        {"透明标签关闭", K::transparent_label, on_window, 936, 0, 20, 24, "×", song_bold(16, white),
         hand_cursor},
        {"透明标签标题", K::transparent_label, on_window, 744, 27, 216, 24, "星河影舱种子搜索神器",
         song_bold(19, dark_red)},
        {"透明标签论坛", K::transparent_label, on_window, 735, 46, 232, 24, forum_caption(),
         song_bold(16, black)},
        {"高级选择夹1", K::tab_control, on_window, 0, 68, 960, 535},

        // Page 0: cloud playback.
        {"编辑框2", K::edit_box, on_page(0), 7, 24, 776, 24,
         "在此输入视频链接（thunder、ftp、http、ed2k、magnet）,然后播放即可！"},
        {"按钮2", K::button, on_page(0), 790, 24, 72, 24, "播放"},
        {"按钮3", K::button, on_page(0), 882, 24, 72, 24, "关闭云点播"},
        {"图片框1", K::picture_box, on_page(0), 0, 52, 960, 440},
        {"超文本浏览框2", K::browser_view, in("图片框1"), -1, -47, 985, 503},

        // Page 1: search.
        {"分组框1", K::group_box, on_page(1), 151, 24, 657, 510},
        {"标签2", K::label, in("分组框1"), 1, 8, 72, 24, "搜索关键字："},
        {"编辑框_种子关键字", K::edit_box, in("分组框1"), 1, 32, 368, 20, "输入关键字例如（中国合伙人）"},
        {"标签3", K::label, in("分组框1"), 369, 8, 56, 24, "搜索引擎："},
        {"组合框1", K::combo_box, in("分组框1"), 369, 32, 120, 20, "", plain, shown,
         "BTDIGG搜索(推荐)\ned2k搜索(可用)\n番号搜索(可用)\nBTSP搜索(推荐)", 3},
        {"种子搜索按钮", K::button, in("分组框1"), 495, 29, 72, 24, "搜索"},
        {"按钮_随机搜索", K::button, in("分组框1"), 577, 29, 72, 24, "随机搜索", plain, disabled},
        {"超级列表框1", K::list_view, in("分组框1"), 0, 56, 656, 264, "", plain, shown,
         "ID:30\n种子名称:535\n种子连接:0\n种子大小:70"},
        {"标签5", K::label, in("分组框1"), 135, 88, 386, 72,
         "\r\n\r\n\r\n开始搜索,搜索资源速度与您的网速有关,请您稍后,正在加载!\r\n此时请不要操作本软件,"
         "搜索完毕后双击可播放!",
         plain, hidden},
        {"图片框7", K::picture_box, in("分组框1"), 246, 96, 165, 24, "", plain, hidden, "loading"},
        {"种子结果标签", K::label, in("分组框1"), 2, 320, 467, 24},
        {"种子搜索加载更多按钮", K::button, in("分组框1"), 560, 320, 88, 24, "加载更多"},
        {"超文本浏览框_迅雷下载", K::browser_view, on_page(1), 840, 48, 40, 40, "", plain, hidden},

        // Page 2: live TV.
        {"电视直播浏览框", K::browser_view, on_page(2), 0, 24, 960, 510},
        {"按钮1", K::button, on_page(2), 656, 24, 80, 24, "关闭电视直播"},

        // Page 3: HD library.
        {"编辑框_高清影库", K::edit_box, on_page(3), 8, 24, 776, 24,
         "这里输入播放页面链接地址，支持（搜狐、PPTV、天翼视讯、乐视、奇艺、凤凰、激动网、PPS、优酷、土豆）等"
         "播放页面地址..."},
        {"高清影库播放按钮", K::button, on_page(3), 797, 24, 72, 24, "播放"},
        {"高清影库关闭按钮", K::button, on_page(3), 881, 24, 72, 24, "关闭页面"},
        {"标签1", K::label, on_page(3), 62, 48, 836, 24,
         "说明：高清影库支持免60秒广告等待直接播放国内24家主流视频网的视频,支持免费播放搜狐+PPTV+天翼视讯+"
         "乐视+爱奇艺+凤凰+激动网+PPS的收费视频。"},
        {"高清影库浏览框", K::browser_view, on_page(3), 0, 72, 960, 440},

        // Page 4: forum account.
        {"透明标签1", K::transparent_label, on_page(4), 16, 36, 32, 24, "账号："},
        {"编辑框3", K::edit_box, on_page(4), 71, 32, 184, 32, "论坛账号"},
        {"透明标签4", K::transparent_label, on_page(4), 272, 39, 56, 32, "注册账号", coloured(red),
         hand_cursor},
        {"透明标签2", K::transparent_label, on_page(4), 16, 94, 32, 24, "密码："},
        {"编辑框1", K::password_box, on_page(4), 71, 88, 184, 32},
        {"透明标签5", K::transparent_label, on_page(4), 272, 93, 56, 32, "忘记密码", coloured(red),
         hand_cursor},
        {"按钮_论坛登录", K::button, on_page(4), 174, 144, 80, 32, "登录"},
        {"图片框2", K::picture_box, on_page(4), 1, 24, 351, 160, "", plain, hidden},
        {"透明标签6", K::transparent_label, in("图片框2"), 8, 5, 56, 24, "用户  ID："},
        {"用户ID标签", K::transparent_label, in("图片框2"), 80, 4, 128, 24},
        {"用户权限标签1", K::transparent_label, in("图片框2"), 8, 47, 56, 24, "用户权限："},
        {"用户权限标签", K::transparent_label, in("图片框2"), 80, 46, 128, 24},
        {"透明标签7", K::transparent_label, in("图片框2"), 8, 91, 64, 24, "用户云币："},
        {"用户金钱标签", K::transparent_label, in("图片框2"), 80, 92, 128, 24},
        {"透明标签3", K::transparent_label, on_page(4), 432, 28, 64, 32, "推广链接："},
        {"编辑框4", K::edit_box, on_page(4), 496, 31, 376, 24},
        {"按钮4", K::button, on_page(4), 888, 32, 56, 24, "复制链接"},
        {"标签4", K::label, on_page(4), 496, 68, 400, 40,
         "如果您的朋友通过下面任意一个链接访问站点，您将获得积分奖励 云币+1 \r\n"
         "如果您的朋友不但访问并且注册成为会员，您将再获得积分奖励 云币+2 "},
        {"透明标签8", K::transparent_label, on_page(4), 800, 108, 96, 24, "云币详情介绍", coloured(blue),
         hand_cursor},
    };
}

}  // namespace

const std::vector<const char*>& page_names() {
    static const auto* names =
        new std::vector<const char*>{"云点播", "搜索", "电视直播", "高清影库", "会员登录"};
    return *names;
}

const std::vector<ControlRow>& main_window_layout() {
    static const auto* layout = new std::vector<ControlRow>(build());
    return *layout;
}

}  // namespace app
