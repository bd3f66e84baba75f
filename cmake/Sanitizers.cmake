# ANEMOMETER_SANITIZE applies to every target of the build tree, so that libraries and tests agree.
if(ANEMOMETER_SANITIZE)
  add_compile_options(-fsanitize=${ANEMOMETER_SANITIZE} -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fsanitize=${ANEMOMETER_SANITIZE})
endif()
