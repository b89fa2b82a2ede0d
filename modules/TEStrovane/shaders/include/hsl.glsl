// rgb2hsl and hsl2rgb, shared by the painter, basic-adjustment and HSL shaders.
vec3 rgb2hsl(vec3 c)
{
    vec4 K = vec4(0.0, -1.0 / 3.0, 2.0 / 3.0, -1.0);
    vec4 P = mix(vec4(c.b, c.g, K.w, K.z), vec4(c.g, c.b, K.x, K.y), step(c.b, c.g));
    vec4 Q = mix(vec4(P.x, P.y, P.w, c.r), vec4(c.r, P.y, P.z, P.x), step(P.x, c.r));
    float m = min(Q.w, Q.y);
    float d = Q.x - m;
    float e = 1.0e-10;
    return clamp(vec3(abs(Q.z + (Q.w - Q.y) / (6.0 * d + e)), d / ((1.0 - abs(Q.x + m - 1.0)) + e), (Q.x + m) / 2.0),
                 0.0, 1.0);
}

vec3 hsl2rgbWithChroma(float h, float C, float l)
{
    vec3 P = abs(fract(h + vec3(1.0, 2.0 / 3.0, 1.0 / 3.0)) * 6.0 - 3.0);
    return clamp(clamp(P - 1.0, 0.0, 1.0) * C + l - C / 2.0, 0.0, 1.0);
}

vec3 hsl2rgb(float h, float s, float l)
{
    return hsl2rgbWithChroma(h, (1.0 - abs(2.0 * l - 1.0)) * s, l);
}
