# SPDX-License-Identifier: GPL-3.0-or-later
# Settings every Quillsift target shares: warnings, definitions and the optional sanitizers.
add_library(quillsift_common INTERFACE)
target_compile_features(quillsift_common INTERFACE cxx_std_20)
target_compile_options(quillsift_common INTERFACE -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor
                                                  -Wold-style-cast -Wcast-align -Woverloaded-virtual)
target_compile_definitions(quillsift_common INTERFACE QT_NO_CAST_FROM_ASCII QT_NO_NARROWING_CONVERSIONS_IN_CONNECT
                                                      QT_NO_KEYWORDS)

if(QUILLSIFT_SANITIZE)
    target_compile_options(quillsift_common INTERFACE -fsanitize=address,undefined -fno-omit-frame-pointer
                                                      -fno-sanitize-recover=undefined)
    target_link_options(quillsift_common INTERFACE -fsanitize=address,undefined)
endif()
