# The translation template: every string the program shows, for translators to start from
# (build/translations/hodgebin.ts). Made by lupdate from Debian's qt6-l10n-tools; without it the
# build goes on and says so.
find_program(HODGEBIN_LUPDATE NAMES lupdate lupdate-qt6
             HINTS "${QT6_INSTALL_PREFIX}/${QT6_INSTALL_LIBEXECS}" /usr/lib/qt6/bin)
set(HODGEBIN_TRANSLATION_TEMPLATE "${CMAKE_BINARY_DIR}/translations/hodgebin.ts")
if(HODGEBIN_LUPDATE)
    # lupdate reads the whole folder; the list only says when to run it again.
    file(GLOB_RECURSE hodgebin_translated_sources "${CMAKE_SOURCE_DIR}/src/*.cpp"
         "${CMAKE_SOURCE_DIR}/src/*.h")
    add_custom_command(
        OUTPUT "${HODGEBIN_TRANSLATION_TEMPLATE}"
        COMMAND "${HODGEBIN_LUPDATE}" -silent -no-obsolete -locations none
                -extensions cpp,h "${CMAKE_SOURCE_DIR}/src" -ts "${HODGEBIN_TRANSLATION_TEMPLATE}"
        DEPENDS ${hodgebin_translated_sources}
        COMMENT "Translation template translations/hodgebin.ts"
        VERBATIM)
    add_custom_target(hodgebin_translations ALL DEPENDS "${HODGEBIN_TRANSLATION_TEMPLATE}")
else()
    message(STATUS "lupdate not found (Debian: qt6-l10n-tools): no translation template")
endif()
