# Points the program at the demo feed (lijin-demo-feed on its default port 18080), so the whole loop
# can be tried offline without a marketplace account. Use it as an initial cache:
#
#   cmake -S . -B build-demo -G Ninja -C demo/demo-config.cmake
#
# The values are forced, so the file also switches an existing build directory over; configure
# without it in a fresh directory to get the marketplace values back.
#
# Every host below is loopback: 127.0.0.1 itself, or a *.localhost name, which Chromium and libcurl
# resolve to loopback without asking DNS. The landing pages get a host of their own
# (uland.localhost) so that the account page (i.localhost) is not mistaken for a landing page.
# TUTORIAL_URL keeps its default.
set(CLAIM_HOME_URL "http://i.localhost:18080/my_taobao.htm?spm=demo.account.0.0" CACHE STRING
    "Claim view home page: the marketplace account page" FORCE)
set(SOURCE_HOME_URL "http://127.0.0.1:18080/" CACHE STRING "Source view home page: the coupon feed page" FORCE)
set(LANDING_STEM "http://uland" CACHE STRING "Scheme and first label of the landing host" FORCE)
set(LANDING_PREFIX "http://uland.localhost:18080" CACHE STRING "Scheme and full landing host" FORCE)
set(NOTICE_BASE_URL "http://127.0.0.1:18080" CACHE STRING "Notice server (scheme and host); empty skips the check"
    FORCE)
