// Placeholder: the bridge's daemon script lies outside this system. The sample bridge at
// Contents/Helpers/node serves its interface when given this path.
