#version 330 core
// Adds to an output detail level the remapped detail of the references
// nearest to the local intensity, each weighted by a hat over the
// reference spacing; 0.5 in the remapped level is no detail.
in vec2 vUV;
out vec4 fragColor;

uniform sampler2D gauss;
uniform sampler2D remap;
uniform vec4 refs;
uniform float stepInv;
uniform float fact;

void main()
{
    float g = texture(gauss, vUV).r;
    vec4 m = texture(remap, vUV);
    vec4 w = 1.0 - min(abs(vec4(g) - refs) * stepInv, 1.0);
    float a = fact * dot(w, m - 0.5);
    fragColor = vec4(a, a, a, dot(w, vec4(1.0)));
}
