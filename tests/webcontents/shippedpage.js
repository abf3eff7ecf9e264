// The settings pages' scripts as the build ships them, beside the text rules the build writes
// from the program's own. CTest says where they are (ctest -R tst_webcontents_logic).
'use strict';
const path = require('node:path');

const folder = process.env.VELMORA_WEBCONTENTS;
if (!folder) {
  throw new Error('VELMORA_WEBCONTENTS is not set: build, then run ctest -R tst_webcontents_logic');
}
module.exports = (name) => require(path.join(folder, 'shared', name));
