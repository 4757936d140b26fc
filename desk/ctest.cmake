# omniprobe-desk, the desk's receiver, is a Linux program with a CMake project of its own (desk/), built
# with the machine's compiler. Its tests run on the host, not under Wine: they start sh, node or the
# native programs by path, never a target of this build.
set(OMNI_DESK_NATIVE ${CMAKE_BINARY_DIR}/desk-native)
set(OMNI_DESK_SOURCE ${CMAKE_CURRENT_LIST_DIR})

add_test(NAME desk_build COMMAND sh ${OMNI_DESK_SOURCE}/build.sh ${OMNI_DESK_NATIVE})
set_tests_properties(desk_build PROPERTIES FIXTURES_SETUP desk_service TIMEOUT 600 LABELS desk COST 100)

# The same storage table against SQLite, and against a PostgreSQL server that the script starts itself.
add_test(NAME desk_storage_sqlite COMMAND ${OMNI_DESK_NATIVE}/desk_storage_tests --gtest_filter=Sqlite/*)
add_test(NAME desk_storage_postgres COMMAND sh ${OMNI_DESK_SOURCE}/tests/with-postgres.sh
                                            ${OMNI_DESK_NATIVE}/desk_storage_tests --gtest_filter=Postgres/*)
# Items' keys from the reports that the real control produced in this run, in both languages.
add_test(NAME desk_item_keys COMMAND ${OMNI_DESK_NATIVE}/desk_item_keys_tests)
set_tests_properties(desk_item_keys PROPERTIES FIXTURES_REQUIRED "desk_service;web_reports" TIMEOUT 120 LABELS desk
                     ENVIRONMENT "OMNI_WEB_REPORTS=${CMAKE_BINARY_DIR}/web-reports")
# Posts, logins, HTTPS, retention and the bounds of a request against the real service.
add_test(NAME desk_http COMMAND ${OMNI_DESK_NATIVE}/desk_http_tests)
# Two receivers on one PostgreSQL server behind the shipped nginx site.
add_test(NAME desk_proxy COMMAND sh ${OMNI_DESK_SOURCE}/tests/with-postgres.sh ${OMNI_DESK_NATIVE}/desk_proxy_tests)
set_tests_properties(desk_storage_sqlite desk_storage_postgres desk_http desk_proxy PROPERTIES
                     FIXTURES_REQUIRED desk_service TIMEOUT 300 LABELS desk)
# About their seconds, so that ctest starts them before the short ones (see tests/CMakeLists.txt).
set_tests_properties(desk_http desk_proxy PROPERTIES COST 18)

if(NOT DEFINED OMNI_NODE)
  find_program(OMNI_NODE NAMES node nodejs)
  find_program(OMNI_CHROMIUM NAMES chromium chromium-browser)
endif()
# The dashboard in headless Chromium, with the reports that the real control produced in this run.
add_test(NAME desk_dashboard COMMAND ${OMNI_NODE} ${OMNI_DESK_SOURCE}/tests/dashboard_test.js)
set_tests_properties(desk_dashboard PROPERTIES FIXTURES_REQUIRED "desk_service;web_npm_packages;web_reports"
                     TIMEOUT 300 LABELS desk
                     ENVIRONMENT "NODE_PATH=${CMAKE_BINARY_DIR}/web-node/node_modules;OMNI_DESK_BINARY=${OMNI_DESK_NATIVE}/omniprobe-desk;OMNI_WEB_REPORTS=${CMAKE_BINARY_DIR}/web-reports;OMNI_ARTEFACTS=${CMAKE_BINARY_DIR}/artefacts;OMNI_CHROMIUM=${OMNI_CHROMIUM}")

# End to end: the real control in the page container posts through Wine's browser window to the service.
add_test(NAME desk_delivery_e2e COMMAND sh ${OMNI_DESK_SOURCE}/tests/delivery-e2e.sh ${CMAKE_BINARY_DIR}
                                        ${OMNI_DESK_NATIVE}/omniprobe-desk)
set_tests_properties(desk_delivery_e2e PROPERTIES FIXTURES_REQUIRED "desk_service;run_command_pc" TIMEOUT 900
                     LABELS desk COST 20)
