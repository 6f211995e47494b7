# Compresses INPUT into OUTPUT the way Debian asks for (`gzip -9n`): the best compression, and
# neither the file's name nor a time in the header, so that the bytes follow from the content
# alone. Usage: cmake -DGZIP=gzip -DINPUT=file -DOUTPUT=file.gz -P gzip.cmake
execute_process(COMMAND "${GZIP}" -9n INPUT_FILE "${INPUT}" OUTPUT_FILE "${OUTPUT}"
  RESULT_VARIABLE failed)
if(failed)
  file(REMOVE "${OUTPUT}")
  message(FATAL_ERROR "gzip ${INPUT}: ${failed}")
endif()
