# Writes version.cc with the time of this build (SOURCE_DATE_EPOCH is honoured by
# string(TIMESTAMP), so builds can be reproducible).
string(TIMESTAMP TAVRO_BUILD_DATE "%Y-%m-%d %H:%M:%S")
configure_file(${IN} ${OUT}.tmp @ONLY)
file(COPY_FILE ${OUT}.tmp ${OUT} ONLY_IF_DIFFERENT)
