target_sources(pagewick_core PRIVATE
  support/core/Addresses.h
  support/core/FolderPath.h support/core/FolderPath.cpp
  support/core/LaunchErrors.h support/core/LaunchErrors.cpp
  support/core/BrowserFallback.h support/core/BrowserFallback.cpp
)
target_sources(pagewick_ui PRIVATE
  support/ui/CHyperLink.h support/ui/CHyperLink.cpp
  support/ui/CFolderDialog.h support/ui/CFolderDialog.cpp
)
