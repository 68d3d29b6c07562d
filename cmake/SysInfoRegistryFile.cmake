# Writes bin/wavecrest.reg, the registry file that the program reads on
# systems without a registry of their own. Its MSINFO "PATH" value names the
# system information program that the About window's System Info button
# starts; the value is the whole command line, split by the Windows rules.
# Without such a program the value is left out, and the button reports that
# system information is unavailable. Choose another program with
# -DWAVECREST_SYSINFO_PROGRAM=/path/to/program.
if(WIN32)
    return()
endif()

find_program(WAVECREST_SYSINFO_PROGRAM
    NAMES hardinfo gnome-system-monitor plasma-systemmonitor ksysguard mate-system-monitor
          xfce4-taskmanager lxtask
    DOC "System information program started by the About window's System Info button")

set(wavecrest_reg_content
    "REGEDIT4\n\n; Written by the build: where the system information program lies.\n")
string(APPEND wavecrest_reg_content
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Shared Tools\\MSINFO]\n")
if(WAVECREST_SYSINFO_PROGRAM)
    set(command "${WAVECREST_SYSINFO_PROGRAM}")
    if(command MATCHES "[ \t]")
        set(command "\"${command}\"")
    endif()
    # Escapes of the file format: \ as \\ and " as \".
    string(REPLACE "\\" "\\\\" command "${command}")
    string(REPLACE "\"" "\\\"" command "${command}")
    string(APPEND wavecrest_reg_content "\"PATH\"=\"${command}\"\n")
else()
    string(APPEND wavecrest_reg_content "; No system information program was found.\n")
endif()

file(CONFIGURE OUTPUT ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/wavecrest.reg
     CONTENT "${wavecrest_reg_content}" @ONLY NEWLINE_STYLE CRLF)
