"""Writes the installer's lists of the files it puts into the folders under the program folder
(skin, manual, licenses), from the staged copy of what is shipped:
    list_payload.py STAGE OUT.nsh
INSTALL_FOLDERS puts every file there; UNINSTALL_FOLDERS deletes exactly those files and then
each folder only when nothing else is left in it, so that a folder of the same name that holds
someone else's files (an install into a shared folder) keeps them."""
import os
import sys

stage, out = sys.argv[1:3]
folders = sorted(name for name in os.listdir(stage) if os.path.isdir(os.path.join(stage, name)))
install, uninstall = ["!macro INSTALL_FOLDERS"], ["!macro UNINSTALL_FOLDERS"]
removed_folders = []
for top in folders:
    for folder, dirs, names in os.walk(os.path.join(stage, top)):
        dirs.sort()
        relative = os.path.relpath(folder, stage).replace(os.sep, "\\")
        removed_folders.append(relative)
        if names:
            install.append('  SetOutPath "$INSTDIR\\%s"' % relative)
        for name in sorted(names):
            # Names go into the script between double quotes, where these would mean something.
            if any(c in name for c in '"$`\\'):
                sys.exit("list_payload: cannot list %r" % os.path.join(folder, name))
            install.append('  File "%s"' % os.path.join(os.path.abspath(folder), name))
            uninstall.append('  Delete "$INSTDIR\\%s\\%s"' % (relative, name))
install.append('  SetOutPath "$INSTDIR"')
# The deepest folders first: a folder is empty only once those inside it are gone.
uninstall += ['  RMDir "$INSTDIR\\%s"' % f for f in sorted(removed_folders, key=lambda f: -f.count("\\"))]
with open(out, "w", encoding="utf-8") as f:
    f.write("\n".join(install + ["!macroend", ""] + uninstall + ["!macroend", ""]))
