# The file formats and what reads or writes them: the cookie-file scanner and
# indexer, where index files live, the put-away fortunes, and the legacy "Fortune.txt" rules and
# synchronisation.
list(APPEND MERROWIND_PURE_SOURCES
    cookies/index_time.cpp
    cookies/legacy_lines.cpp
    cookies/line_escape.cpp
    cookies/scanner.cpp
)
list(APPEND MERROWIND_WIN32_SOURCES
    cookies/index_location.cpp
    cookies/indexer.cpp
    cookies/legacy_file.cpp
    cookies/legacy_sync.cpp
    cookies/put_away.cpp
    cookies/shared_read.cpp
)
