// Compiled into every domain library. Qt's targets hand QT_CORE_LIB to everything that links
// them, so this file stops the build the moment a domain library pulls in Qt.
#ifdef QT_CORE_LIB
#error "A domain library links Qt. Domain code stays free of Qt; Qt code lives in ui/ folders."
#endif
