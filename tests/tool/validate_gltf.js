// Runs the Khronos glTF validator on each glb file named; prints one line per
// file with its issues and exits 1 when any has an error or a warning.
'use strict';
const fs = require('fs');
const path = require('path');
const validator = require(path.join(process.env.GLTF_VALIDATOR_MODULES, 'gltf-validator'));

(async () => {
    let failed = false;
    for (const file of process.argv.slice(2)) {
        const report = await validator.validateBytes(new Uint8Array(fs.readFileSync(file)));
        const issues = report.issues;
        const found = issues.messages.filter((m) => m.severity <= 1).map((m) => `${m.code} ${m.pointer || ''}`);
        console.log(`${file}: ${issues.numErrors} errors, ${issues.numWarnings} warnings ${found.join('; ')}`);
        failed = failed || issues.numErrors > 0 || issues.numWarnings > 0;
    }
    process.exit(failed ? 1 : 0);
})().catch((error) => {
    console.log(`cannot validate: ${error}`);
    process.exit(2);
});
