#!/usr/bin/env bash
# The snapshot schema against the decoder (snapshot_schema_test.mjs), with the
# validator scripts/setup installs. Skips (77) when node or ajv-cli is
# missing, unless CI is set: there a missing tool is a failure.
# Usage: snapshot_schema.sh WIDGET SCHEMA AJV CONFORMANCE_DIR
set -euo pipefail
here=$(dirname "$0")
# shellcheck source=../kit/common.sh
source "$here/../kit/common.sh"
require_tools node "$3"
exec node "$here/snapshot_schema_test.mjs" "$@"
