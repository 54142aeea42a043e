# Writes the page's service worker with the build's name, a hash of every file it keeps, so that
# each build whose files differ is a new service worker that browsers install.
# cmake -DSOURCE=sw.js -DOUTPUT=site/sw.js -DSITE=site -DFILES=a,b,c -P ServiceWorker.cmake
string(REPLACE "," ";" files "${FILES}")
set(hashes "")
foreach(file IN LISTS files)
    file(SHA256 ${SITE}/${file} hash)
    string(APPEND hashes "${file} ${hash}\n")
endforeach()
string(SHA256 version "${hashes}")
string(SUBSTRING ${version} 0 16 SITE_VERSION)
string(REPLACE "," " " SITE_FILES "${FILES}")
configure_file(${SOURCE} ${OUTPUT} @ONLY)
