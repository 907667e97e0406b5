// Placeholder: the bridge's command-line tool lies outside this system. The sample bridge at
// Contents/Helpers/node answers its verbs when given this path.
