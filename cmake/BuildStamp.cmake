# The "Compiled" line of both tools: a 24-character time stamp of the build, in the
# form "Fri Sep 18 09:35:14 1998". string(TIMESTAMP) takes SOURCE_DATE_EPOCH when it is
# set, so a build can be reproduced byte for byte.
string(TIMESTAMP _sky_day "%d" UTC)
string(REGEX REPLACE "^0" " " _sky_day "${_sky_day}")
string(TIMESTAMP _sky_weekday_month "%a %b" UTC)
string(TIMESTAMP _sky_time_year "%H:%M:%S %Y" UTC)
set(SKY_BUILD_TIMESTAMP "${_sky_weekday_month} ${_sky_day} ${_sky_time_year}")
configure_file(${CMAKE_CURRENT_LIST_DIR}/build_stamp.h.in
               ${CMAKE_BINARY_DIR}/generated/build_stamp.h @ONLY)
