target_sources(pagewick_core PRIVATE
  tiff/PageProfile.h tiff/PageProfile.cpp
  tiff/PageTags.h tiff/PageTags.cpp
  tiff/PageCounter.h tiff/PageCounter.cpp
)
