// The scripts a driver installation writes, as they must read for the
// driver directory app (as it stands in them: quoted when not a plain
// word). Shared by the unit and the whole-program tests.
#pragma once

#include <string>

inline std::string WrapperScript(const std::string& app, const std::string& file) {
  return "#! /usr/bin/sh\n\nTavrinFileSourceDir=`pwd`\nexport TavrinFileSourceDir\ncd " + app +
         "\n" + app + "/" + file + " $*\n";
}

inline std::string RcScript(const std::string& app) {
  return "case $1 in\n'start')\n\techo \"Starting Zanto Print Demon.\"\n\t[ -f " + app +
         "/TavrinD ] && " + app + "/TavrinD &\n\t;;\n'stop')\n\techo \"Stoping Zanto Print Demon.\"\n"
         "\t[ -f " + app + "/TavrinDStop ] && " + app + "/TavrinDStop\n\t;;\nesac\n";
}

// The lp service's arguments, as both interface programs take them.
inline std::string InterfaceArgs(const std::string& app) {
  return "\nTavrinPrinter=`/usr/bin/basename $0`\nTavrinRequest_id=$1\nTavrinUser_name=$2\n"
         "TavrinTitle=$3\nTavrinCopies=$4\nTavrinOption_list=$5\n"
         "export \tTavrinPrinter TavrinRequest_id TavrinUser_name TavrinTitle TavrinCopies "
         "TavrinOption_list\n\nshift 5\n\ncd " + app + "\n";
}

inline std::string InterfaceScript(const std::string& app) {
  const std::string log = app + "/zanto7315.log";
  return "#! /usr/bin/sh\n\nTavrinPrinterInterface=\"interface\"\nexport \tTavrinPrinterInterface\n" +
         InterfaceArgs(app) + "[ -f " + log + " ] && rm -f " + log + "\n\n" + app + "/zanto7315 $* > " +
         log + " 2>" + log + "\nexit 0\n";
}

inline std::string TtyInterfaceScript(const std::string& app) {
  return "#! /usr/bin/sh\n\n" + InterfaceArgs(app) +
         "\nif [ -f settings/$TavrinPrinter ]; then \n/usr/bin/tavrin -d$TavrinPrinter "
         "-ssettings/$TavrinPrinter -n $*\nelse\n\t/usr/bin/tavrin -d$TavrinPrinter -n $*\nfi\n"
         "exit 0\n";
}
