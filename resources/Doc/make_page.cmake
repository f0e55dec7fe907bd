# Builds one page of the manual: the page's content (pages/NAME.html, starting with its
# <h1>) inside the common frame page.html.in.
# Usage: cmake -DTEMPLATE=page.html.in -DCONTENT=pages/NAME.html -DOUTPUT=NAME.html -P make_page.cmake
file(READ ${TEMPLATE} frame)
file(READ ${CONTENT} BODY)
get_filename_component(page ${CONTENT} NAME)
string(REGEX MATCH "<h1[^>]*>([^<]*)</h1>" heading "${BODY}")
if(page STREQUAL "index.html" OR NOT heading)
  set(TITLE "VexaDoc user manual")
else()
  set(TITLE "${CMAKE_MATCH_1} &ndash; VexaDoc user manual")
endif()
# The current page is marked in the navigation bar.
string(REPLACE "<a href=\"${page}\">" "<a class=\"here\" href=\"${page}\">" frame "${frame}")
string(CONFIGURE "${frame}" html @ONLY)
file(WRITE ${OUTPUT} "${html}")
