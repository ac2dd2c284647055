# The program's fixed outside addresses. They default to reserved example domains, so that
# no build of ours ever sends traffic to a stranger's site; a release passes the real ones,
# for example -DXINGHE_FORUM_HOST=bbs.realforum.tld.
set(XINGHE_FORUM_HOST "bbs.xinghe.example" CACHE STRING "host name of the forum (forum_base is http:// + host)")
set(XINGHE_DONATE_URL "http://bbs.xinghe.example/forum.php?mod=viewthread&tid=2" CACHE STRING "donation page")
set(XINGHE_SUPPORT_QQ "800012345" CACHE STRING "support QQ number shown for a forgotten password")
set(XINGHE_BTSP_ORIGIN "http://btsp.example" CACHE STRING "origin of the BTSP torrent site")
set(XINGHE_CLOUD_PLAYER_ORIGIN "http://cloud-player.example" CACHE STRING "origin of the cloud player service")
set(XINGHE_HD_PLAYER_ORIGIN "https://hd-player.example" CACHE STRING "origin of the HD player service")
set(XINGHE_LIVE_TV_ORIGIN "http://live-tv.example" CACHE STRING "origin of the live-TV site")
set(XINGHE_UPDATE_PAGE "http://update.example/xinghe/version.html" CACHE STRING "the version page")

configure_file(${CMAKE_SOURCE_DIR}/cmake/addresses.h.in ${CMAKE_BINARY_DIR}/generated/config/addresses.h @ONLY)
add_library(addresses INTERFACE)
target_include_directories(addresses INTERFACE ${CMAKE_BINARY_DIR}/generated)
