# Every file an install lays down, relative to its prefix.
set(expected_files
    bin/hengxiu-toolbox
    share/applications/hengxiu-toolbox.desktop
    share/doc/hengxiu-toolbox/changelog.gz
    share/doc/hengxiu-toolbox/copyright
    share/hengxiu-toolbox/translations/hengxiu-toolbox_en.qm
    share/man/man1/hengxiu-toolbox.1.gz
    share/metainfo/${APPSTREAM_ID}.metainfo.xml)
foreach(size 16 32 48 64 128 256)
  list(APPEND expected_files share/icons/hicolor/${size}x${size}/apps/hengxiu-toolbox.png)
endforeach()
list(SORT expected_files)
