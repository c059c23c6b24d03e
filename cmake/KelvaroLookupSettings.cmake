# The lookup service's base address: scheme http, a host, no port and no trailing slash.
# The bundled demo lookup service answers this host through the request object's proxy setting.
set(KELVARO_LOOKUP_BASE "http://lookup.kelvaro.invalid" CACHE STRING
    "Base address of the lookup service (http://host, no port, no trailing slash)")
# The page identifier of the priming request: 32 lower-case hexadecimal characters.
set(KELVARO_PRIMING_PAGE "5f0c3a9e7b214d68a1e4c2b97d30f816" CACHE STRING
    "Page identifier of the priming request (32 lower-case hexadecimal characters)")

set(_host_label "[A-Za-z0-9]([A-Za-z0-9-]*[A-Za-z0-9])?")
if(NOT KELVARO_LOOKUP_BASE MATCHES "^http://${_host_label}(\\.${_host_label})*$")
  message(FATAL_ERROR
    "KELVARO_LOOKUP_BASE is \"${KELVARO_LOOKUP_BASE}\"; it must be http:// followed by a host name, "
    "with no port, no path and no trailing slash (for example http://lookup.example.com).")
endif()
if(NOT KELVARO_PRIMING_PAGE MATCHES "^[0-9a-f]+$")
  message(FATAL_ERROR "KELVARO_PRIMING_PAGE must be 32 lower-case hexadecimal characters.")
endif()
string(LENGTH "${KELVARO_PRIMING_PAGE}" _page_length)
if(NOT _page_length EQUAL 32)
  message(FATAL_ERROR "KELVARO_PRIMING_PAGE must be 32 lower-case hexadecimal characters.")
endif()
