#version 150
// Tangent flow map: the minor eigenvector of the smoothed tensor (the
// direction of least change), the square root of the major eigenvalue and
// the gradient magnitude. Flat regions get the vertical tangent.
in vec2 uv;
out vec4 fragColor;
uniform sampler2D img;

void main()
{
    vec3 g = texture(img, uv).xyz;
    float E = g.x, G = g.y, F = g.z;
    float lambda1 = 0.5 * (G + E + sqrt(max(G * G - 2.0 * E * G + E * E + 4.0 * F * F, 0.0)));
    vec2 v = vec2(E - lambda1, F);
    float magnitude = sqrt(max(E + G, 0.0));
    if (length(v) > 0.0)
        fragColor = vec4(normalize(v), sqrt(max(lambda1, 0.0)), magnitude);
    else
        fragColor = vec4(0.0, 1.0, 0.0, magnitude);
}
